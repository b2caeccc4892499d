# End-to-end case "missing_art", sourced by run_e2e.sh with the helpers of lib.sh.
# file removed | expected exit status | expected output | updater started
# (the updater replaces the client, so its status is the stub's 0)
while IFS='|' read -r file want msg updater; do
  rm -rf "$work/game/pics"
  "$build/fixture_art_tool" "$work/game/pics" || fail "no fixture art"
  rm -f "$work/game/pics/$file" "$work/game/patch-ran.txt"
  printf '#!/bin/sh\necho patched > patch-ran.txt\nexit 0\n' > "$work/game/patch.sh"
  chmod +x "$work/game/patch.sh"
  run_client "true"
  [ "$client_rc" = "$want" ] || fail "$file: exit status $client_rc, wanted $want"
  grep -q -- "$msg" "$work/client.out" || fail "$file: no message '$msg'"
  if [ "$updater" = yes ]; then
    [ -f "$work/game/patch-ran.txt" ] || fail "$file: the updater was not started"
  else
    [ -f "$work/game/patch-ran.txt" ] && fail "$file: the updater was started"
  fi
done <<'LIST'
btiles20.png|0|tile sheet pics/btiles20.png is missing|yes
special.png|1|special.png is missing|no
bg_t2.png|1|Default skin files are missing!|no
LIST
