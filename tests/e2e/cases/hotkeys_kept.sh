# End-to-end case "hotkeys_kept", sourced by run_e2e.sh with the helpers of lib.sh.
# Hotkey slots changed with "n i" lines are kept in the character and
# come back with the next login's hotkey replies.
start_server
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "first session did not reach play"
kill -INT "$client_pid"; wait "$client_pid"; client_pid=
wait "$server_pid" 2>/dev/null; server_pid=
plr="$work/srv/chars/Demo.plr"
sed -i 's/^\(IBINDS=\S* \S* \S* \)\S*/\1190/' "$plr"
grep -q "^IBINDS=0 0 0 190 " "$plr" || fail "could not bind slot 3 in the character file"
# The bound item changes: the client moves the binding along.
printf 'wait 300\nsend k 190 191 1\nawait n i 3 191\n' > "$work/scenario.txt"
rm -f "$work/server.log"
start_server --scenario "$work/scenario.txt"
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
grep -q "^send\[0\]: 0 0 0 190 0 " "$work/server.log" || wait_for "^send\[0\]: 0 0 0 190 0 " \
  "$work/server.log" || fail "slot 3 not sent at login"
wait_for "scenario\[0\]: done" "$work/server.log" || fail "the scenario did not finish"
[ "$(sent_after "k 190 191 1" 1)" = "n i 3 191" ] ||
  fail "the client answered otherwise: $(sent_after "k 190 191 1" 1)"
kill -INT "$client_pid"; wait "$client_pid"; client_pid=
wait "$server_pid" 2>/dev/null; server_pid=
grep -q "^IBINDS=0 0 0 191 " "$plr" || fail "the changed binding was not kept"
rm -f "$work/server.log"
start_server
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "^send\[0\]: 0 0 0 191 0 " "$work/server.log" || fail "the kept binding not sent at login"
# The client quits on SIGINT only once it plays; during the login it ignores it.
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the third session did not reach play"
kill -INT "$client_pid"; wait "$client_pid"; client_pid=
