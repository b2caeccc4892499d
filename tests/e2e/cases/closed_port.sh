# End-to-end case "closed_port", sourced by run_e2e.sh with the helpers of lib.sh.
# A port that was just in use and is closed again.
start_server
kill "$server_pid"; wait "$server_pid" 2>/dev/null; server_pid=
run_client "type_after 'Press q to quit now' q"
[ "$client_rc" = 1 ] || fail "exit status $client_rc, wanted 1"
grep -q "Could not connect to 127.0.0.1:$port" "$work/client.out" || fail "no connect message"
grep -q "Press q to quit now or any other key to try again." "$work/client.out" || fail "no prompt"
