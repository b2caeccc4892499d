# End-to-end case "game_over", sourced by run_e2e.sh with the helpers of lib.sh.
printf 'wait 300\nsend Q\n' > "$work/scenario.txt"
start_server --scenario "$work/scenario.txt"
run_client "type_after 'Press q to quit' q; type_after 'intro: title screen' xq"
[ "$client_rc" = 0 ] || fail "exit status $client_rc, wanted 0"
[ "$(grep -c '^recv\[0\]: q$' "$work/server.log")" -le 1 ] || fail "'q' sent twice"
