# End-to-end case "inventory", sourced by run_e2e.sh with the helpers of lib.sh.
# The inventory key opens the pack as a list in the side panel, the
# cursor moves down it with its detail box, SHIFT+DOWN moves the entry, and
# ESC keeps the move (the server is told) and gives the sheet back.
start_server
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 20 580
# The pictures are of the side panel, kept in the case's own folder. The
# sheet's labels are white: far more of them than a list has.
panel=230x450+570+0
sheet_drawn() { shot "$work" sheet $panel; [ "$(count "$work" sheet 230x450+0+0 '(255,255,255)')" -gt 2000 ]; }
eventually sheet_drawn || fail "no character sheet"
send_keys v
wait_for "Rearranging inventory" "$work/client.out" || fail "the inventory did not open"
# Picture $1 differs from picture $2 by more (or, with "-lt", fewer) than $3 pixels.
shown() { shot "$work" "$1" $panel; [ "$(differ "$work" "$2" "$1")" "${4:--gt}" "$3" ]; }
eventually shown list sheet 2000 || fail "the panel did not change to the list"
xdotool key Down
eventually shown moved list 50 || fail "the cursor did not move"
# The hat, under the cursor now, goes below the gold; ESC keeps the move.
mod_key shift Down || fail "SHIFT+Down was not taken"
send_keys '\033'
wait_for $'^recv\\[0\\]: J\t0\t1b0@-1:$' "$work/server.log" || fail "the move was not sent"
wait_for "msg: Done!" "$work/client.out" || fail "no Done!"
eventually shown back sheet 2000 -lt || fail "ESC did not give the sheet back"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
