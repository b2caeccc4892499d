# End-to-end case "login_ready", sourced by run_e2e.sh with the helpers of lib.sh.
# Without its own copy of the level the client has it transferred. The
# desktop has 15-bit colour, which shaded lighting cannot use, and it is
# night: after two steps north the ground left behind, out of sight, is black
# (old lighting), not a grey area.
# screen: 1280x1024x15
rm -f "$work/game/cmaps/lvl001.map"
start_server --clock 0
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach the ready state"
grep -q "^recv\[0\]: C [0-9a-f]* demo demo Demo x zib notwindows x x x 0 0 0 x 0 0 0 0$" \
  "$work/server.log" || fail "login line"
grep -q "^recv\[0\]: Y [0-9a-f:]*$" "$work/server.log" || fail "data-file report"
grep -q "^recv\[0\]: \*\*$" "$work/server.log" || fail "no end of the inventory sync"
grep -q "^recv\[0\]: ^ i$" "$work/server.log" || fail "no '^ i' after the sync"
grep -q "^recv\[0\]: L 1$" "$work/server.log" || fail "no map request"
grep -q "^recv\[0\]: i$" "$work/server.log" || fail "no 'i' after the reload"
[ -f "$work/game/cmaps/lvl001.map" ] || fail "map not transferred"
cmp -s "$work/game/cmaps/lvl001.map" "$work/srv/cmaps/lvl001.map" || fail "map differs"
wait_for "Welcome to the sample world" "$work/client.out" || fail "no welcome message"
grep -q "msg: 16 or 32bit colour depth not detected, using old lighting" "$work/client.out" \
  || fail "no old lighting at 15-bit colour"
focus_client || fail "no window"
xdotool mousemove 700 580
walk_to 5 3 || fail "the player did not walk north"
shots_as e2e-login_ready
# Pixels other than black in the cells three to six south of the player.
lit_behind() { /usr/bin/convert "$shots/night.png" -crop 160x110+205+340 +repage -fill white \
  +opaque "rgb(0,0,0)" -format '%[fx:int(mean*w*h)]' info:; }
dark_behind() {
  shot "$shots" night
  [ "$(lit_behind)" = 0 ]
}
eventually dark_behind
[ "$(lit_behind)" = 0 ] || fail "the ground out of sight is not black at night with old lighting"
kill -INT "$client_pid"
eventually client_gone || fail "client did not quit"
wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc after the quit request"
wait_for "close\[0\]" "$work/server.log" || fail "server saw no close"
[ "$(grep -c '^recv\[0\]: q$' "$work/server.log")" = 1 ] || fail "'q' not sent exactly once"
grep -q "Quit and exit!" "$work/client.out" || fail "no 'Quit and exit!'"
