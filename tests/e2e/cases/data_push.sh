# End-to-end case "data_push", sourced by run_e2e.sh with the helpers of lib.sh.
# A data file of another version is replaced by the server's before play.
echo "# an older copy" >> "$work/game/dat/spells.txt"
start_server
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
grep -q "^send\[0\]: Y 7$" "$work/server.log" || fail "no push of dat/spells.txt"
[ "$(grep -c '^send\[0\]: Y ' "$work/server.log")" = 1 ] || fail "other files pushed"
grep -q "^recv\[0\]: Z$" "$work/server.log" || fail "no 'Z' after the transfer"
cmp -s "$work/game/dat/spells.txt" "$src/gamedata/dat/spells.txt" || fail "spells.txt not replaced"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
