-- A server-message hook: counts the chat lines ('M' messages on channel
-- "c") that mention the player's name, in any letter case, and keeps the
-- last one. The vitals box shows the count.

if not add_hook then dofile("clientscripts/hooks.lua") end

mentions = mentions or { count = 0, last = "" }

add_hook("auxbox_server_message", "mentions", function(kind, channel, text)
  if kind != "M" or channel != "c" or me.name == "" then return end
  if string.find(to_lower(text), to_lower(me.name), 1, true) then
    mentions.count = mentions.count + 1
    mentions.last = trim2(text)
  end
end)
