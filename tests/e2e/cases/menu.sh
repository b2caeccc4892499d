# End-to-end case "menu", sourced by run_e2e.sh with the helpers of lib.sh.
# F12 opens the in-game menu; its volume page lowers the effects volume,
# ESC goes back and closes it, and the setting is kept in client.cfg.
echo "volume=200" >> "$work/game/client.cfg"
start_server
start_client
wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 700 580
xdotool key F12
send_keys 'vqq\033\033'
# Once the client has taken the six keys the menu is closed: a held key walks.
wait_keys 6 || fail "the client took $(keys_taken) of the menu's six keys"
step Down || fail "no step after the menu"
grep -q "^recv\[0\]: m 5 6 1 5 5 " "$work/server.log" || fail "the step after the menu went elsewhere"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
vol=$(sed -n 's/^volume=//p' "$work/game/client.cfg" | tail -1)
[ -n "$vol" ] && [ "$vol" -lt 200 ] || fail "volume is '$vol', wanted below 200"
