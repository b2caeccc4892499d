# End-to-end case "display_start", sourced by run_e2e.sh with the helpers of lib.sh.
# The real window opens at the configured size and the session runs in it.
echo "res_x=1024" >> "$work/game/client.cfg"
echo "res_y=700" >> "$work/game/client.cfg"
start_server
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
wid=$(xdotool search --name '^zib$' 2>/dev/null | head -1)
[ -n "$wid" ] || fail "no window"
geometry=$(xdotool getwindowgeometry "$wid")
echo "$geometry" | grep -q "Geometry: 1024x700" || fail "window geometry: $geometry"
grep -q "alert:" "$work/client.out" && fail "an alert was raised"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
