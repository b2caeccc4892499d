# End-to-end case "menu", sourced by run_e2e.sh with the helpers of lib.sh.
# F12 opens the in-game menu; its volume page lowers the effects volume,
# ESC goes back and closes it, and the setting is kept in client.cfg.
echo "volume=200" >> "$work/game/client.cfg"
start_server
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 700 580
# The volume page's first line ("Use Q/W to set sound volume ...") crosses
# x 100..300 at y 50, where no line of the main menu reaches: its white pixels.
volume_page_shown() {
  import -window root -crop 200x8+100+50 +repage "$work/shot.png" 2>/dev/null || return 1
  [ "$(/usr/bin/convert "$work/shot.png" -format %c histogram:info:- |
    awk 'index($0, "(255,255,255)") { n += $1 } END { print n + 0 }')" -ge 40 ]
}
xdotool key F12
wait_keys 1 || fail "the client did not take F12"
volume_page_shown && fail "the volume page shows before it was chosen"
send_keys v
eventually volume_page_shown || fail "v in the menu did not show the volume page"
send_keys 'qq\033\033'
# Once the client has taken the six keys the menu is closed: a held key walks.
wait_keys 6 || fail "the client took $(keys_taken) of the menu's six keys"
step Down || fail "no step after the menu"
grep -q "^recv\[0\]: m 5 6 1 5 5 " "$work/server.log" || fail "the step after the menu went elsewhere"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
vol=$(sed -n 's/^volume=//p' "$work/game/client.cfg" | tail -1)
[ -n "$vol" ] && [ "$vol" -lt 200 ] || fail "volume is '$vol', wanted below 200"
