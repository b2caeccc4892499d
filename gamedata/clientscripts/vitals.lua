-- The player's vitals in the aux box: name and level, health, the power
-- pool, the states that need attention, the load and the time of day.
-- The backquote key hides and shows the box (see keys.lua).
--
-- The lines are kept in vitals.lines as well; a display without an aux box
-- only gets them there.

if not add_hook then dofile("clientscripts/hooks.lua") end

vitals = vitals or { hidden = false, lines = {} }

local watched_states = {
  { HN_POISONED, "poisoned" },
  { HN_DISEASED, "diseased" },
  { HN_BLIND, "blind" },
  { HN_SLOWED, "slowed" },
  { HN_HELD, "held" },
  { HN_CONFUSED, "confused" },
  { HN_WOUNDED, "wounded" },
}

-- The word for the player's power pool ("Mana", "Rage", "Energy").
local function pool_word()
  if me.cls >= 0 and me.cls < sc:max_classes() then
    return capitalise_first_letter(sc:get_mana_type_string(me.cls))
  end
  return "Power"
end

local function states_line()
  local names = {}
  for _, state in ipairs(watched_states) do
    if me:get_health(state[1]) != 0 then names[#names + 1] = state[2] end
  end
  if #names == 0 then return "Status: fine" end
  return "Status: " .. table.concat(names, ", ")
end

-- world_time counts the minutes of the day.
local function clock_line()
  return string.format("Time %02d:%02d", world_time \ 60, world_time % 60)
end

function vitals.build()
  local lines = {
    string.format("%s, level %d", me.name, me.lvl),
    string.format("Health %d/%d", me.hp, me:get_hp_max()),
    string.format("%s %d/%d", pool_word(), me.mana, me:get_mana_max()),
    states_line(),
    string.format("Load %.1f", items:total_weight()),
    clock_line(),
  }
  if mentions and mentions.count > 0 then
    lines[#lines + 1] = mentions.count == 1 and "Mentioned once"
                        or string.format("Mentioned %d times", mentions.count)
  end
  return lines
end

local function show(lines)
  if not d.auxbox_set_line then return end
  d:auxbox_clear()
  if vitals.hidden then return end
  local height = d:auxbox_get_height()
  for i, line in ipairs(lines) do
    if i > height then break end
    d:auxbox_set_line(i - 1, line)
  end
end

add_hook("auxbox", "vitals", function()
  vitals.lines = vitals.build()
  show(vitals.lines)
end)
