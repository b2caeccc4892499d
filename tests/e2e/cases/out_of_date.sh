# End-to-end case "out_of_date", sourced by run_e2e.sh with the helpers of lib.sh.
start_server --client-crc 1
printf '#!/bin/sh\necho patched > patch-ran.txt\nexit 0\n' > "$work/game/patch.sh"
chmod +x "$work/game/patch.sh"
run_client "true"
[ -f "$work/game/patch-ran.txt" ] || fail "the updater was not started"
grep -q "Incorrect client version." "$work/client.out" || fail "no version log line"
grep -q "^send\[0\]: C1$" "$work/server.log" || fail "server did not answer C1"
