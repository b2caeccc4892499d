# End-to-end case "intro_and_frame", sourced by run_e2e.sh with the helpers of lib.sh.
# The intro screens and the first frame of play drawn in the window:
# title, menu, the login form typed into, then play. Screenshots of the
# root window are kept in the build tree.
shots_as e2e-intro-and-frame
printf 'patched=1\nserver=127.0.0.1\nname=Demo\nserver_idx=0\nres_x=800\nres_y=600\n' \
  > "$work/game/client.cfg"
start_server
colours() { /usr/bin/convert "$shots/$1.png" -format %k info:; }
# The message area (800 by 600: 470 wide, from y 505) carries white text.
white() { count "$shots" "$1" 470x95+0+505 '(255,255,255)'; }
# Screenshot $1 once the screen is drawn: more than four colours, and unlike
# the screen before it ($2).
drawn() {
  import -window root "$shots/$1.png" 2>/dev/null && [ "$(colours "$1")" -gt 4 ] &&
    { [ -z "${2:-}" ] || [ "$(differ "$shots" "$2" "$1")" -gt 1000 ]; } &&
    { [ "$1" != play ] || [ "$(white play)" -gt 500 ]; }
}
shoot() { eventually drawn "$1" "${2:-}" || echo "$1" >> "$shots/undrawn"; }
rm -f "$work/client.out"
(cd "$work/game" && exec ./zib < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
(
  type_after 'intro: title screen' ''; shoot title; send_keys x
  type_after 'intro: menu' ''; shoot menu title; send_keys j
  type_after 'intro: login form' ''; send_keys '\ndemo\ndemo'; shoot login menu
  send_keys '\n\n\n'
  wait_for 'ready\[0\]: Demo' "$work/server.log"; shoot play login
) &
keys_pid=$!
wait_for 'ready\[0\]: Demo' "$work/server.log" || fail "the client did not reach play"
wait "$keys_pid"; keys_pid=
kill -INT "$client_pid" 2>/dev/null; wait "$client_pid" 2>/dev/null; client_pid=
grep -q "alert:" "$work/client.out" && fail "an alert was raised"
for s in title menu login play; do
  [ -s "$shots/$s.png" ] || fail "no $s screenshot"
  grep -qx "$s" "$shots/undrawn" 2>/dev/null && fail "$s screenshot: $(colours "$s") colours, unlike the one before by too little"
done
[ "$(white play)" -gt 500 ] || fail "the message area shows $(white play) white pixels"
