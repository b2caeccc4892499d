# End-to-end case "item_keys", sourced by run_e2e.sh with the helpers of lib.sh.
# The item keys of a player's pack: U uses the lamp oil, E eats the bread,
# P drinks the draught and R reads the scroll, each where the player stands;
# TAB and SHIFT+TAB step between those lists. SHIFT+U lists the whole pack
# and asks for a direction. The Drop key flags the bread twice (all three)
# and the scroll once, CTRL while a search is typed, and ENTER drops both in
# one line; the next drop takes only the entry chosen. A stack flagged once
# drops one, flagged twice all that is carried: the 200 gold. A level gained
# gives two points: one bumped, ESC gives it back, and two bumps send the choice.
printf 'wait 300\nsend X 0 2\nsend I 00000100 175\n' > "$work/scenario.txt"
start_server --scenario "$work/scenario.txt"
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 700 580

got() { wait_for "^recv\[0\]: $1\$" "$work/server.log" || fail "the server did not get '$1'"; }
# Types TEXT and waits until the client has taken every key of it.
type_taken() {
  local n=$(( $(keys_taken) + ${#1} ))
  xdotool type --delay 30 "$1"
  wait_keys "$n" || fail "the client did not take '$1'"
}
oil=00000108 bread=000001c0 draught=00000193 scroll=0070011e blade=00000181

# Each list holds one entry; ENTER uses it on the player's own cell (5,5).
# An item key acts only a second after the last use: one the client took
# without asking (it prints in the pass that takes the key) is pressed again.
item_key() {
  local n
  n=$(grep -cF -- "$3" "$work/client.out")
  if [ "$1" = - ]; then
    press_until "seen '$3' $((n + 1))" xdotool key "$2"
  else
    press_until "seen '$3' $((n + 1))" mod_key "$1" "$2"
  fi || fail "'$2' never asked '$3'"
}
item_key - u "What would you like to use?"; send_keys '\n'; got "U $oil 5 5 1 0"
item_key - e "What would you like to eat?"; send_keys '\n'; got "U $bread 5 5 1 0"
item_key - p "What would you like to drink?"; send_keys '\n'; got "U $draught 5 5 1 0"
# READ, TAB to USE (it wraps), SHIFT+TAB back to READ.
item_key - r "What would you like to read?"
xdotool key Tab; said "What would you like to use?" 2
mod_key shift Tab; said "What would you like to read?" 2
send_keys '\n'; got "U $scroll 5 5 1 0"
# SHIFT+U: the first entry of the whole pack, used towards the east.
item_key shift u "Use item ..."
send_keys '\n'; said "Use short blade ... which direction?"
xdotool key Right; got "U $blade 6 5 1 1"

# Multi-drop. While "/bre" is typed a plain d is a letter of the search.
send_keys d; said "Drop ... select item ..."
type_taken "/bred"
n=$(( $(keys_taken) + 1 )); xdotool key BackSpace; wait_keys "$n"
mod_key ctrl d; mod_key ctrl d
xdotool key Escape; said "Search cancelled."
type_taken "/scr"
mod_key ctrl d
xdotool key Escape; said "Search cancelled." 2
send_keys '\n'; said "Selected multiple items ..."
xdotool key space; got "d 5 5 $bread 3:d 5 5 $scroll 1"
# The marks are gone: ENTER now drops the entry under the cursor alone.
send_keys d; said "Drop ... select item ..." 2
send_keys '\n'; said "Selected short blade"
xdotool key space; got "d 5 5 $blade 1"
# The gold: 25 in the pack and 175 from the server. Flagged once it drops
# one coin, flagged twice all 200; the server takes none away here.
said "You got 175"
gold=00000100
flag_coins() {
  send_keys d; said "Drop ... select item ..." "$1"
  type_taken "/coin"
  local i
  for ((i = 0; i < $2; i++)); do mod_key ctrl d; done
  xdotool key Escape; said "Search cancelled." "$1"
  send_keys '\n'; said "Selected gold coin" $(($1 - 2))
}
flag_coins 3 1; xdotool key space; got "d 5 5 $gold 1"
flag_coins 4 2; xdotool key space; got "d 5 5 $gold 200"
[ "$(grep -c '^recv\[0\]: d ' "$work/server.log")" = 4 ] || fail "drop lines"

# Level-up: s is strength, i intelligence (dat/common.cfg "stat_key").
said "You have gained a level! Hit CTRL+F2 or ALT+F2 to level up and increase your stats!"
prompt="Press s to bump strength, d to bump dexterity, and i to bump intelligence. You have 2 point(s) to distribute. Press ESC to cancel."
mod_key ctrl F2; said "$prompt"
send_keys s; said "Strength++"
xdotool key Escape; said "Level up canceled."
mod_key ctrl F2; said "$prompt" 2
send_keys s; said "Strength++" 2
send_keys i; said "Level up complete."
got "H 1 0 1 0"
[ "$(grep -c '^recv\[0\]: H ' "$work/server.log")" = 1 ] || fail "level-up lines"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
