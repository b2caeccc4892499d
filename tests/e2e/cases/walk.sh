# End-to-end case "walk", sourced by run_e2e.sh with the helpers of lib.sh.
# The player walks the sample level: arrow keys and a click on the next
# cell reach the server as moves, a held key repeats at the step delay, and
# CTRL+ALT+END does not end the program.
start_server
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
# The pointer rests on the side panel, where it moves nothing.
xdotool mousemove 700 580
walk_to 5 6 || fail "no step south"
grep -q "^recv\[0\]: m 5 6 1 5 5 [1-9][0-9]*$" "$work/server.log" || fail "move line south"
walk_to 6 6 || fail "no step east"
grep -q "^recv\[0\]: m 6 6 1 5 6 [1-9][0-9]*$" "$work/server.log" || fail "move line east"
# A held key steps once per step delay (300 ms at least on foot), not once
# per pass: held until the server has answered two steps, it made no more
# steps than step delays fit between the key going down and the server's
# line that follows the last step. SPACE, let go after it, sends that line.
now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }
before=$(grep -c "^recv\[0\]: m " "$work/server.log")
answered=$(grep -c "^move\[0\]: " "$work/server.log")
down_at=$(now_ms)
xdotool keydown Left
eventually answered_past $((answered + 1))
xdotool keyup Left
send_keys ' '
wait_for "^recv\[0\]: ^ k 1$" "$work/server.log" || fail "no line after the held key"
held=$(( $(now_ms) - down_at ))
steps=$(( $(grep -c "^recv\[0\]: m " "$work/server.log") - before ))
[ "$steps" -ge 2 ] && [ "$steps" -le $((held / 300 + 1)) ] ||
  fail "$steps move lines for a key held for two steps ($held ms until the line after them)"
# A click on the cell north of the player (the play window's centre is
# at 284,252 in 800x600 with 32-pixel cells) steps there; a ground item
# stands north of 4,6.
walk_to 2 6 || fail "no steps west"
read -r px py <<<"$(last_move)"
click_until 284 220 1 "move\[0\]: $px $((py - 1))$" "$work/server.log" || fail "no step from the click"
xdotool mousemove 700 580
grep -q "^recv\[0\]: m $px $((py - 1)) 1 $px $py [1-9][0-9]*$" "$work/server.log" \
  || fail "move line of the click"
grep -q "refused" "$work/server.log" && fail "the server refused a step the client made"
# CTRL+ALT+END is no way out of play: the game library's exit is off, and
# the next step is still answered.
xdotool key ctrl+alt+End
walk_to "$px" "$py" || fail "no step after CTRL+ALT+END"
grep -q "colour depth not detected" "$work/client.out" && fail "old lighting on a 32-bit desktop"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
