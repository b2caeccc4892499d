# End-to-end case "intro_and_frame", sourced by run_e2e.sh with the helpers of lib.sh.
# The intro screens and the first frame of play drawn in the window:
# title, menu, the login form typed into, then play. Screenshots of the
# root window are kept in the build tree.
shots="$build/e2e-intro-and-frame"
rm -rf "$shots"; mkdir -p "$shots"
printf 'patched=1\nserver=127.0.0.1\nname=Demo\nserver_idx=0\nres_x=800\nres_y=600\n' \
  > "$work/game/client.cfg"
start_server
shoot() { sleep 1; import -window root "$shots/$1.png" || fail "no screenshot $1"; }
rm -f "$work/client.out"
(cd "$work/game" && exec ./zib < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
(
  type_after 'intro: title screen' ''; shoot title; send_keys x
  type_after 'intro: menu' ''; shoot menu; send_keys j
  type_after 'intro: login form' ''; send_keys '\ndemo\ndemo'; shoot login
  send_keys '\n\n\n'
  wait_for 'ready\[0\]: Demo' 20 "$work/server.log"; shoot play
) &
keys_pid=$!
wait_for 'ready\[0\]: Demo' 40 "$work/server.log" || fail "the client did not reach play"
for i in $(seq 1 60); do [ -s "$shots/play.png" ] && break; sleep 0.2; done
sleep 0.5
kill -INT "$client_pid" 2>/dev/null; wait "$client_pid" 2>/dev/null; client_pid=
grep -q "alert:" "$work/client.out" && fail "an alert was raised"
for s in title menu login play; do
  [ -s "$shots/$s.png" ] || fail "no $s screenshot"
  colours=$(/usr/bin/convert "$shots/$s.png" -format %k info:)
  [ "$colours" -gt 4 ] || fail "$s screenshot has $colours colours"
done
# The message area (800 by 600: 470 wide, from y 505) carries white text.
white=$(/usr/bin/convert "$shots/play.png" -crop 470x95+0+505 +repage -fill black +opaque white \
  -format '%[fx:int(mean*w*h)]' info:)
[ "$white" -gt 500 ] || fail "the message area shows $white white pixels"
# Each screen looks different from the one before it.
for pair in "title menu" "menu login" "login play"; do
  set -- $pair
  diff=$(/usr/bin/compare -metric AE "$shots/$1.png" "$shots/$2.png" null: 2>&1)
  [ "${diff%% *}" -gt 1000 ] 2>/dev/null || fail "$1 and $2 look alike ($diff)"
done
