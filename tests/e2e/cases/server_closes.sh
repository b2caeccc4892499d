# End-to-end case "server_closes", sourced by run_e2e.sh with the helpers of lib.sh.
printf 'wait 300\nsend MsGoodbye\nclose\n' > "$work/scenario.txt"
start_server --scenario "$work/scenario.txt"
run_client "type_after 'Press q to quit.' q; type_after 'intro: title screen' xq"
[ "$client_rc" = 0 ] || fail "exit status $client_rc, wanted 0"
grep -q "Goodbye" "$work/client.out" || fail "scenario message not shown"
grep -q "Connection from server closed." "$work/client.out" || fail "no closed message"
grep -q "Press q to quit." "$work/client.out" || fail "no q prompt"
grep -q "intro: menu" "$work/client.out" || fail "no next session"
