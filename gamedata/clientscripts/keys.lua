-- A key hook: the backquote key (`) hides or shows the vitals box, in
-- normal play only, so that typing a chat line is left alone. The hook sees
-- every key before the client handles it, so the key keeps its own meaning
-- too (backquote has none in normal play).

if not add_hook then dofile("clientscripts/hooks.lua") end

local BACKQUOTE = string.byte("`")

keys = keys or { pressed = 0 }

add_hook("auxbox_keypressed", "keys", function(key, ascii, scancode)
  keys.pressed = keys.pressed + 1
  if ascii == BACKQUOTE and gc_interface_mode == NORMAL and vitals then
    vitals.hidden = not vitals.hidden
  end
end)
