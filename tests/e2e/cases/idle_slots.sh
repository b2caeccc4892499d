# End-to-end case "idle_slots", sourced by run_e2e.sh with the helpers of lib.sh.
# Connections that never log in are closed after the login time-out, so
# they cannot keep a real client out.
"$build/devserver" --port 0 --dir "$work/srv" --log "$work/server.log" --timeout 60 \
  --slots 2 --login-timeout 500 > "$work/server.out" 2>&1 &
server_pid=$!
wait_for "listening on" 10 "$work/server.log" || fail "server did not start"
port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/server.log" | head -1)
sed -i "s/^port=.*//" "$work/game/client.cfg"
echo "port=$port" >> "$work/game/client.cfg"
exec 3<>"/dev/tcp/127.0.0.1/$port" 4<>"/dev/tcp/127.0.0.1/$port"
wait_for "connect\[1\]" 5 "$work/server.log" || fail "idle connections not admitted"
wait_for "close\[1\]: no login in time" 5 "$work/server.log" || fail "idle connection kept"
wait_for "close\[0\]: no login in time" 5 "$work/server.log" || fail "first idle connection kept"
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[[01]\]: Demo" 20 "$work/server.log" || fail "the client did not get in"
grep -q "server full" "$work/server.log" && fail "a client was turned away"
exec 3<&- 4<&-
kill -INT "$client_pid"
wait "$client_pid"; client_pid=
