# End-to-end case "verdicts", sourced by run_e2e.sh with the helpers of lib.sh.
# verdict, expected exit status, expected message. "x" answers the refusal;
# the refusals that lead back to the creation form (status 0) leave it with
# ESC and quit in the menu with "q".
while IFS='|' read -r verdict want msg; do
  rm -f "$work/server.log"
  start_server --verdict "$verdict"
  keys="type_after 'Press any key' x"
  [ "$want" = 0 ] && keys+="; type_after 'intro: creation form' '\033q'"
  run_client "$keys"
  [ "$client_rc" = "$want" ] || fail "$verdict: exit status $client_rc, wanted $want"
  grep -q -- "$msg" "$work/client.out" || fail "$verdict: no message '$msg'"
  wait "$server_pid" 2>/dev/null; server_pid=
done <<'LIST'
C2|0|New character name exists!
C3|1|Incorrect account login!
C4|1|Already logged in!
C5|0|Character not found!
C6|0|Requested character not linked to this account!
C7|1|You have been banned!
C8|1|Character creation has been disabled on this server!
C9|1|Connection closed!
LIST
