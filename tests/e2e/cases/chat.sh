# End-to-end case "chat", sourced by run_e2e.sh with the helpers of lib.sh.
# ENTER in play opens the chat line; the typed text and ENTER reach the
# server as "T <text>", and play goes on: an arrow key walks again. In a
# game that casts with words, a right click on the first hotbar button right
# after the chat line starts binding a spell (the ENTER of the chat line does
# not end it) and the typed letters bind it. Y turns the crosshair on: the
# target cursor is drawn on the target, and a client script reads that
# target as the player's target_id.
mkdir -p "$work/world"
cp -r "$src/gamedata/." "$work/world/"
echo "cast_with_words=1" >> "$work/world/dat/common.cfg"
cat > "$work/game/clientscripts/zz_target_log.lua" <<'LUA'
if not add_hook then dofile("clientscripts/hooks.lua") end
add_hook("auxbox_keypressed", "target_log", function(key)
  local f = io.open("targets.log", "a")
  if f then f:write(me.target_id, "\n") f:close() end
end)
LUA
start_server --world "$work/world"
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
grep -q "^cast_with_words=1" "$work/game/dat/common.cfg" || fail "the game's settings did not arrive"
xdotool mousemove 700 580
send_keys '\nhello vale\n'
wait_for "^recv\[0\]: T hello vale$" "$work/server.log" || fail "no chat line"
step Down || fail "no step after chatting"
grep -q "^recv\[0\]: m 5 6 1 5 5 " "$work/server.log" || fail "the step after chatting went elsewhere"

# The first hotbar button (F1) of the 800x600 window.
click_until 129 478 3 "Binding spell to F1 (Shift + dir): currently none" "$work/client.out" ||
  fail "the right click did not start binding a spell"
xdotool mousemove 700 580
send_keys 'if\n'
wait_for "^recv\[0\]: n s 10 1$" "$work/server.log" || fail "the spell was not bound"
# The client prints the bind after it has sent it.
wait_for "Bind successful! (F1=In Flam, Shift + dir)" "$work/client.out" || fail "no bind message"
grep -q "What spell?" "$work/client.out" && fail "the binding ended on the chat line's ENTER"

# Pure white pixels of the play window: the target cursor's corners are its only ones.
white() {
  shot "$work" "$1" 560x440+0+20
  count "$work" "$1" 560x440+0+0 '(255,255,255)'
}
[ "$(white before)" -lt 5 ] || fail "white in the play window before the crosshair"
send_keys y
wait_for "Crosshair on" "$work/client.out" || fail "no crosshair"
cursor_drawn() { [ "$(white crosshair)" -ge 20 ]; }
eventually cursor_drawn || fail "no target cursor drawn"
# The script sees the key before the client acts on it: the target the cursor is on.
targets_read() { [ "$(cat "$work/game/targets.log" 2>/dev/null | wc -l)" -gt "$1" ]; }
n=$(cat "$work/game/targets.log" 2>/dev/null | wc -l)
press_until "targets_read $n" xdotool key Tab || fail "TAB did not reach the script"
seen_target=$(tail -1 "$work/game/targets.log")
[ "${seen_target:-0}" -gt 0 ] || fail "the script read target_id '$seen_target' with a target in view"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
