-- A server-message hook: counts the chat lines ('M' messages on channel
-- "c") that mention the player's name, in any letter case, and keeps the
-- last one; what the player says is not counted. The vitals box shows the
-- count.

if not add_hook then dofile("clientscripts/hooks.lua") end

mentions = mentions or { count = 0, last = "" }

-- Who speaks a chat line: "Name: words", "[Global] Name: words" or the
-- emote "* Name waves", in lower case.
local function speaker(line)
  local who = string.match(line, "^%* (%S+)") or string.match(line, "^[^:]*")
  who = string.gsub(who, "^%[[^%]]*%]", "")
  return to_lower(trim2(who))
end

add_hook("auxbox_server_message", "mentions", function(kind, channel, text)
  if kind != "M" or channel != "c" or me.name == "" then return end
  local line = trim2(text)
  local name = to_lower(me.name)
  -- The server echoes what the player says: their own line is no mention.
  if speaker(line) == name then return end
  if string.find(to_lower(line), name, 1, true) then
    mentions.count = mentions.count + 1
    mentions.last = line
  end
end)
