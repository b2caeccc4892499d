-- Example client script. It keeps a little state from the three hooks,
-- packing and unpacking numbers with the client's integer operators.

if not add_hook then dofile("clientscripts/hooks.lua") end

example = example or { ticks = 0, key = 0, char = 0, seconds = 0, channels = 0 }

-- The bit of a channel letter: 'a' is bit 0, 'z' bit 25, anything else none.
local function channel_bit(channel)
  local n = (string.byte(channel) or 0) - string.byte("a")
  if n < 0 or n > 25 then return 0 end
  return 1 << n
end

-- Called about every 100 ms.
add_hook("auxbox", "example", function()
  example.ticks = example.ticks + 1
  example.seconds = example.ticks \ 10
end)

-- key is the scan code times 256 plus the character code; ascii is that
-- character code read as signed 8 bits (a code above 127 comes negative).
add_hook("auxbox_keypressed", "example", function(key, ascii, scancode)
  example.key = key >> 8
  example.char = ascii
end)

add_hook("auxbox_server_message", "example", function(kind, channel, text)
  example.channels = example.channels | channel_bit(channel)
end)

-- True once a message on this channel has arrived.
function example_heard(channel)
  local bit = channel_bit(channel)
  return bit != 0 and example.channels & bit != 0
end

-- The channels heard so far, as letters.
function example_channels()
  local letters = {}
  for n = 0, 25 do
    if example.channels & (1 << n) != 0 then
      letters[#letters + 1] = string.char(string.byte("a") + n)
    end
  end
  return table.concat(letters)
end
