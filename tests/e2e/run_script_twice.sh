#!/usr/bin/env bash
# `make run` again and again in one build tree: each run assembles the game
# directory again and runs the script, which must start its own server, log
# in, and be judged by its own server log only. A key the player rebound
# between two runs stays rebound. The server list the client offers after a
# logout starts with the server of this run, chosen, above the player's rows.
# run_script_twice.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
tree=$(mktemp -d /tmp/zib-run.XXXXXX)
trap 'rm -rf "$tree"' EXIT

cp "$build/devserver" "$tree/devserver"

fail() {
  echo "FAIL: $*"
  echo "--- run output"; cat "$tree/out" 2>/dev/null
  echo "--- server log"; cut -c1-200 "$tree/devserver.log" 2>/dev/null
  exit 1
}

# The build's assembly of the game directory, then the script, on a free
# port each time, so that parallel tests and a user's `make run` never meet
# this one.
run() {
  bash "$src/tests/e2e/fresh_game.sh" "$src" "$build" "$tree/game" > /dev/null || fail "no game directory"
  env -u DISPLAY ZIB_RUN_PORT=0 ZIB_RUN_SECONDS=3 bash "$src/scripts/run.sh" "$tree" > "$tree/out" 2>&1
}

set_cfg() {
  sed -i "/^$1=/d" "$tree/game/client.cfg"
  echo "$1=$2" >> "$tree/game/client.cfg"
}

# Expected outcome of each run in turn: the first creates the character,
# the second logs it in again, the third (a wrong password) must fail even
# though the log of an earlier run shows a login. The sample password is
# saved for the login form after a logout (savepass), also in a folder an
# older run left without it; the player's own password is left unsaved.
expect=(0 0 1 0)
passwords=(demo demo wrong demo)
savepass=(1 1 "" 1)
keymap="$tree/game/dat/keymap.cfg"
for i in "${!expect[@]}"; do
  if [ "$i" != 0 ]; then
    set_cfg passwd "${passwords[$i]}"
    sed -i '/^savepass=/d' "$tree/game/client.cfg"
  fi
  run
  rc=$?
  [ "$(sed -n 's/^savepass=//p' "$tree/game/client.cfg")" = "${savepass[$i]}" ] ||
    fail "run $((i + 1)): savepass is '$(sed -n 's/^savepass=//p' "$tree/game/client.cfg")'"
  [ "$rc" = "${expect[$i]}" ] || fail "run $((i + 1)) ended with $rc, expected ${expect[$i]}"
  [ "$(grep -c '^listening on' "$tree/devserver.log")" = 1 ] || fail "run $((i + 1)): log not fresh"
  if [ "${expect[$i]}" = 0 ]; then
    grep -q "logged in and reached play" "$tree/out" || fail "run $((i + 1)) did not report play"
    grep -q "^ready\[" "$tree/devserver.log" || fail "run $((i + 1)): no login in its own log"
  fi
  pgrep -f "$tree/devserver" > /dev/null && fail "run $((i + 1)) left its server running"
  port=$(sed -n 's/^run: development server on 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$tree/out")
  [ -n "$port" ] || fail "run $((i + 1)) named no port"
  list="$tree/game/dat/serverlist.txt"
  [ "$(head -1 "$list")" = "Development server:127.0.0.1:$port" ] ||
    fail "run $((i + 1)): the server list does not start with port $port: $(head -1 "$list")"
  grep -qx 'server_idx=0' "$tree/game/client.cfg" ||
    fail "run $((i + 1)): its server is not the chosen row"
  [ "$(grep -c '^Development server:' "$list")" = 1 ] ||
    fail "run $((i + 1)): an old server row stayed"
  if [ "$i" = 0 ]; then
    # The player adds a server of their own and chose it once.
    echo "Friends:127.0.0.2:7000" >> "$list"
    set_cfg server_idx 1
  else
    grep -qx 'Friends:127.0.0.2:7000' "$list" ||
      fail "run $((i + 1)): the player's server row is gone"
  fi
  if [ "$i" = 0 ]; then
    # A newcomer hears the game: its effects are not at volume 0.
    grep -Eq '^volume=[1-9]' "$tree/game/client.cfg" || fail "the sample world starts silent"
    # The player rebinds Get to K; the client writes its key map so.
    sed -i 's/^Get|.*/Get|11 0 0 0/' "$keymap"
  else
    grep -qx 'Get|11 0 0 0' "$keymap" || fail "run $((i + 1)): the rebound key is back to its default"
  fi
done
echo "PASS"
