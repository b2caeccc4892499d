# End-to-end case "inventory", sourced by run_e2e.sh with the helpers of lib.sh.
# The inventory key opens the pack as a list in the side panel, the
# cursor moves down it with its detail box, SHIFT+DOWN moves the entry, and
# ESC keeps the move (the server is told) and gives the sheet back.
start_server
start_client
wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 20 580
sleep 0.5
shot() { import -window root -crop 230x450+570+0 +repage "$work/$1.png" 2>/dev/null || fail "no picture $1"; }
shot sheet
send_keys v
wait_for "Rearranging inventory" 5 "$work/client.out" || fail "the inventory did not open"
sleep 0.5; shot list
xdotool key Down; sleep 0.5; shot moved
# The hat, under the cursor now, goes below the gold.
xdotool keydown shift; sleep 0.1; hold_key Down 0.12; xdotool keyup shift
send_keys '\033'
wait_for $'^recv\\[0\\]: J\t0\t1b0@-1:$' 5 "$work/server.log" || fail "the move was not sent"
wait_for "msg: Done!" 5 "$work/client.out" || fail "no Done!"
sleep 0.8; shot back
differ() { local n; n=$(/usr/bin/compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1); echo "${n%% *}"; }
[ "$(differ sheet list)" -gt 2000 ] || fail "the panel did not change to the list"
[ "$(differ list moved)" -gt 50 ] || fail "the cursor did not move"
[ "$(differ sheet back)" -lt 2000 ] || fail "ESC did not give the sheet back"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
