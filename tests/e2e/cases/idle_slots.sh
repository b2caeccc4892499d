# End-to-end case "idle_slots", sourced by run_e2e.sh with the helpers of lib.sh.
# Connections that never log in are closed after the login time-out (the
# server's own, 5 s: time enough for a real client's login on a loaded
# machine), so they cannot keep a real client out.
launch_server "$work/server.log" --slots 2
server_pid=$new_server_pid
port=$new_server_port
sed -i "s/^port=.*//" "$work/game/client.cfg"
echo "port=$port" >> "$work/game/client.cfg"
exec 3<>"/dev/tcp/127.0.0.1/$port" 4<>"/dev/tcp/127.0.0.1/$port"
wait_for "connect\[1\]" "$work/server.log" || fail "idle connections not admitted"
wait_for "close\[1\]: no login in time" "$work/server.log" || fail "idle connection kept"
wait_for "close\[0\]: no login in time" "$work/server.log" || fail "first idle connection kept"
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[[01]\]: Demo" "$work/server.log" || fail "the client did not get in"
grep -q "server full" "$work/server.log" && fail "a client was turned away"
exec 3<&- 4<&-
kill -INT "$client_pid"
wait "$client_pid"; client_pid=
