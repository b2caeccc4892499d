# End-to-end case "chat", sourced by run_e2e.sh with the helpers of lib.sh.
# ENTER in play opens the chat line; the typed text and ENTER reach the
# server as "T <text>", and play goes on: an arrow key walks again.
start_server
start_client
wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 700 580
send_keys '\n'
sleep 0.3
send_keys 'hello vale\n'
wait_for "^recv\[0\]: T hello vale$" 10 "$work/server.log" || fail "no chat line"
sleep 0.3
hold_key Down 0.15
wait_for "^recv\[0\]: m 5 6 1 5 5 " 5 "$work/server.log" || fail "no step after chatting"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
