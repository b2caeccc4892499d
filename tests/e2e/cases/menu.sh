# End-to-end case "menu", sourced by run_e2e.sh with the helpers of lib.sh.
# F12 opens the in-game menu; its volume page lowers the effects volume,
# ESC goes back and closes it, and the setting is kept in client.cfg.
echo "volume=200" >> "$work/game/client.cfg"
start_server
start_client
wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 700 580
# The volume page's first line ("Use Q/W to set sound volume ...") crosses
# x 100..300 at y 50, where no line of the main menu reaches: its white pixels.
volume_page_shown() {
  import -window root -crop 200x8+100+50 +repage "$work/shot.png" 2>/dev/null || return 1
  [ "$(/usr/bin/convert "$work/shot.png" -format %c histogram:info:- |
    awk 'index($0, "(255,255,255)") { n += $1 } END { print n + 0 }')" -ge 40 ]
}
xdotool key F12; sleep 0.3
volume_page_shown && fail "the volume page shows before it was chosen"
send_keys v
for ((i = 0; i < 50; i++)); do volume_page_shown && break; sleep 0.1; done
[ "$i" -lt 50 ] || fail "v in the menu did not show the volume page"
send_keys qq; sleep 0.3
send_keys '\033'; sleep 0.3
send_keys '\033'; sleep 0.3
hold_key Down 0.15
wait_for "^recv\[0\]: m 5 6 1 5 5 " 5 "$work/server.log" || fail "no step after the menu"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
vol=$(sed -n 's/^volume=//p' "$work/game/client.cfg" | tail -1)
[ -n "$vol" ] && [ "$vol" -lt 200 ] || fail "volume is '$vol', wanted below 200"
