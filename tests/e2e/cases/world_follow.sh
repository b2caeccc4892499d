# End-to-end case "world_follow", sourced by run_e2e.sh with the helpers of lib.sh.
# A session that follows the world: a creature wanders, the player's record
# brings the largest experience and a form with figures that are no
# numbers, a data file is pushed and reloaded, and the level changes to ones
# the client lacks, the last numbered past three digits.
rm -f "$work/game/cmaps/lvl002.map"
mkdir -p "$work/srv/cmaps"
{ head -1 "$work/game/cmaps/lvl001.map"; echo Thousandth_Hill; tail -n +3 "$work/game/cmaps/lvl001.map"; } \
  > "$work/srv/cmaps/lvl1000.map"
printf 'trace=1\ntrace_password=wevu\nlog_chat=1\n' >> "$work/game/client.cfg"
cat > "$work/scenario.txt" <<'STEPS'
wait 1500
send H 5 5 1 0 1 200 21 0 0 0 21 25 10.0 0 22 25.0 25.0 25.0 500 9223372036854775807 1 0 0 1
send y 249 12 6 2 6 0 250 450 nan inf -inf
push 7
await Z
await i
send K 0 2 2 5 5 0
await L 2
wait 300
send MsArrived on level two
wait 600
send K 0 1000 1000 5 5 0
await L 1000
STEPS
start_server --scenario "$work/scenario.txt"
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "scenario\[0\]: done" "$work/server.log" || fail "the scenario did not finish"
[ "$(sent_after "Y 7" 2)" = $'Z\ni' ] || fail "the client answered the push otherwise: $(sent_after "Y 7" 2)"
[ "$(sent_after "K 0 2 2 5 5 0" 1)" = "L 2" ] ||
  fail "the client answered the level otherwise: $(sent_after "K 0 2 2 5 5 0" 1)"
wait_for "Arrived on level two" "$work/client.out" || fail "no message after the level change"
# The creature was followed as it moved.
grep -q "existing sent found, updating id=150" "$work/game/trace/zib.txt" \
  || fail "creature moves not followed"
grep -q "Guide (whisper): Look around" "$work/client.out" || fail "whisper not shown"
grep -q "Guide (whisper): Look around" "$work/game/msglog.txt" || fail "whisper not logged"
# The pushed file, its reload, and the level transfer.
grep -q "^send\[0\]: Y 7$" "$work/server.log" || fail "no push"
[ "$(grep -c '^recv\[0\]: i$' "$work/server.log")" = 2 ] || fail "no second 'i' after the reload"
grep -q "^send\[0\]: K 1 2 2 " "$work/server.log" || fail "no level transfer"
cmp -s "$work/game/cmaps/lvl002.map" "$work/srv/cmaps/lvl002.map" || fail "level two differs"
wait_for "msg: Entering Thousandth Hill" "$work/client.out" || fail "level 1000 not entered"
cmp -s "$work/game/cmaps/lvl1000.map" "$work/srv/cmaps/lvl1000.map" || fail "level 1000 differs"
[ "$(grep -c 'msg: Entering' "$work/client.out")" = 3 ] || fail "levels not entered three times"
grep -q "level sync error" "$work/client.out" && fail "level sync errors"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
# The minimap cache of each level: on leaving it and at the session's end.
for f in Demo.001.mm Demo.002.mm Demo.1000.mm; do
  [ "$(head -c 6 "$work/game/cmaps/$f" 2>/dev/null)" = "ZZZ:::" ] || fail "no minimap cache $f"
done
