# End-to-end case "inventory", sourced by run_e2e.sh with the helpers of lib.sh.
# The inventory key opens the pack as a list in the side panel, the
# cursor moves down it with its detail box, SHIFT+DOWN moves the entry, and
# ESC keeps the move (the server is told) and gives the sheet back.
start_server
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 20 580
shot() { import -window root -crop 230x450+570+0 +repage "$work/$1.png" 2>/dev/null || fail "no picture $1"; }
differ() { local n; n=$(/usr/bin/compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1); echo "${n%% *}"; }
# The sheet's labels are white: far more of them than a list has.
sheet_drawn() { shot sheet; [ "$(/usr/bin/convert "$work/sheet.png" -fill black +opaque white \
  -format '%[fx:int(mean*w*h)]' info:)" -gt 2000 ]; }
eventually sheet_drawn || fail "no character sheet"
send_keys v
wait_for "Rearranging inventory" "$work/client.out" || fail "the inventory did not open"
# Picture $1 differs from picture $2 by more (or, with "-lt", fewer) than $3 pixels.
shown() { shot "$1"; [ "$(differ "$2" "$1")" "${4:--gt}" "$3" ]; }
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
