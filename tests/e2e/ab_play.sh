#!/usr/bin/env bash
# Plays one journey of keys with two builds of the client against the
# development server, and tells where they differ: the lines the server
# received, in order (leaving aside those the client sends by the clock, and
# the program's checksum, the times and the port some lines carry), and the screen at matched moments (each once the client has taken the step's
# keys and the server has heard nothing new for a while). For a change that
# should change nothing, such as a refactoring:
#
#   xvfb-run -a -s "-screen 0 1024x768x24" bash tests/e2e/ab_play.sh BUILD_A BUILD_B OUT
#
# with BUILD_A and BUILD_B two build trees (each with zib, devserver and
# fixture_art_tool). OUT/A and OUT/B keep each side's received lines and
# pictures; the status is 0 when both sides agree.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)

# One end-to-end case with one build: ab_play.sh --case CASE BUILD RECORD
# runs cases/CASE.sh as run_e2e.sh does and keeps in folder RECORD the
# lines its server received (as a journey's, below).
received() {
  grep -hE '^recv\[[0-9]+\]: ' "$@" | grep -vE '^recv\[[0-9]+\]: ([+|]|x )' |
    sed -E -e 's/^(recv\[[0-9]+\]: C) [0-9a-f]+ /\1 (program) /' \
      -e 's/^(recv\[[0-9]+\]: Y ([^:]*:){18})[^:]*/\1(serverlist)/' \
      -e 's/^(recv\[[0-9]+\]: m( [0-9-]+){5}) [0-9]+$/\1 (time)/' \
      -e 's/^(recv\[[0-9]+\]: M( [0-9-]+){5}) [0-9]+$/\1 (time)/' \
      -e 's/^(recv\[[0-9]+\]: a [nr]( [0-9-]+){4}) [0-9]+ /\1 (time) /'
}
if [ "${1:-}" = --case ]; then
  case_name=$2
  build=$(cd "$3" && pwd)
  record=$4
  mkdir -p "$record"
  # shellcheck source=lib.sh
  source "$here/lib.sh"
  # The clean-up keeps what the server received before it removes the folder.
  keep_shots() { received "$work"/*.log > "$record/$case_name.txt" 2>/dev/null; }
  # shellcheck disable=SC1090
  source "$here/cases/$case_name.sh"
  exit 0
fi

# One side: ab_play.sh --side BUILD SERVER_BUILD RECORD plays the journey
# with the client of BUILD, sourcing lib.sh as a case does, and keeps what
# it saw in folder RECORD.
if [ "${1:-}" = --side ]; then
  build=$(cd "$2" && pwd)
  server_build=$(cd "$3" && pwd)
  record=$4
  case_name=ab_$(basename "$record")
  # shellcheck source=lib.sh
  source "$here/lib.sh"
  shots_as "ab_shots"
  shots_kept=$record/shots
  # Both sides play against the one server: launch_server runs $build/devserver.
  build=$server_build
  # Waits until the client has sent nothing new (but by the clock) while it
  # ticked ten times: what a step sent has come back and been drawn.
  settle() {
    local n i
    for ((i = 0; i < 30; i++)); do
      n=$(client_lines)
      wait_ticks 10 || return 1
      [ "$(client_lines)" = "$n" ] && return 0
    done
    return 1
  }
  # The sample world's creature stands still (--still), so the picture of a
  # quiet moment is the same in two runs.
  # The player's cell goes with each picture: the comparison leaves aside the
  # cells of the creatures, whose pictures take a random frame of their
  # animation at each step of it.
  picture() {
    screenshot "$1" || return 1
    echo "$(basename "$1") $(last_move)" >> "$record/cells.txt"
  }
  step_no=0
  # One step: the keys of "xdotool key" ($@), then a picture once it settled.
  k() {
    local n
    n=$(( $(keys_taken) + $# ))
    xdotool key --delay 80 "$@"
    wait_keys "$n" || fail "the client did not take '$*'"
    settle || fail "no quiet after '$*'"
    step_no=$((step_no + 1))
    picture "$shots/$(printf %02d "$step_no")_${1//[^A-Za-z0-9]/_}.png" || fail "no picture"
  }
  # A step on the map, the arrow key $1 held until the server answered.
  st() {
    step "$1" || fail "no step $1"
    settle || fail "no quiet after step $1"
    step_no=$((step_no + 1))
    picture "$shots/$(printf %02d "$step_no")_step_$1.png" || fail "no picture"
  }
  # The same with the modifier $1 held.
  mk() {
    local n
    n=$(( $(keys_taken) + 1 ))
    xdotool keydown "$1" key "$2"
    wait_keys "$n" || fail "the client did not take '$1+$2'"
    xdotool keyup "$1"
    settle || fail "no quiet after '$1+$2'"
    step_no=$((step_no + 1))
    picture "$shots/$(printf %02d "$step_no")_$1_$2.png" || fail "no picture"
  }

  # The one port of both sides: the client shows it and reports the
  # checksum of the server list that names it.
  start_server --still --clock 720 --port "$AB_PORT"
  start_client
  wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
  focus_client || fail "no window"
  xdotool mousemove 700 580
  settle || fail "no quiet after login"
  picture "$shots/00_play.png" || fail "no picture"
  st Down
  st Down
  k w
  k F1
  k Escape
  mk shift c
  k F1
  k Escape
  k F1
  k Right
  k Return h e l l o space v a l e Return
  k y
  k Tab
  k y
  k g
  k Escape
  k d
  k Escape
  k l
  k Left
  k s
  k Right
  k t
  k Up
  k z
  k i
  k n
  k e
  k Escape
  k b
  k Escape
  k u
  k Escape
  k p
  k Escape
  k r
  k Escape
  k v
  k Escape
  strike Right || fail "no blow"
  settle || fail "no quiet after the blow"
  mk ctrl t
  k h i Return
  k x
  k m
  k Escape
  k a
  k Escape
  k f
  k Escape
  k 1
  k F2
  st Left
  st Up
  st Left
  kill -INT "$client_pid"
  wait "$client_pid"
  client_pid=
  wait "$server_pid" 2>/dev/null
  server_pid=
  # What differs from run to run as it should: the times a step, a cast
  # and a blow give (since the last step, since the session's start).
  received "$work/server.log" > "$record/received.txt"
  cp "$work/client.out" "$record/client.out"
  exit 0
fi

[ $# = 3 ] || { echo "usage: ab_play.sh BUILD_A BUILD_B OUT"; exit 2; }
set -- "$(cd "$1" && pwd)" "$(cd "$2" && pwd)" "$3"
out=$3
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
# The development server of BUILD_B (or $AB_SERVER) serves both sides, on
# one free port.
server_build=$(cd "${AB_SERVER:-$2}" && pwd)
AB_PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export AB_PORT

# One side after the other: the keys go to the one window on the screen.
mkdir -p "$out/A" "$out/B"
bash "$0" --side "$1" "$server_build" "$out/A" > "$out/A.log" 2>&1; ra=$?
bash "$0" --side "$2" "$server_build" "$out/B" > "$out/B.log" 2>&1; rb=$?
[ $ra = 0 ] && [ $rb = 0 ] || { echo "a side did not finish: A $ra, B $rb"; tail -n 5 "$out/A.log" "$out/B.log"; exit 1; }

rc=0
if ! diff "$out/A/received.txt" "$out/B/received.txt" > "$out/received.diff"; then
  echo "the server received other lines:"; head -20 "$out/received.diff"; rc=1
fi
echo "lines received: $(wc -l < "$out/A/received.txt")"
# Picture $1, as $2, with what changes from run to run painted black: the
# player's cell and the creature's (each with the cell above, for the bars
# drawn over a creature, and the creature's half a cell to each side, where
# its frames reach), the clock (the side panel's and the sun over the
# play window), the input line's cursor, and the blinking mark of the player
# on the map (M).
player_col=8 player_row=7
creature_x=7 creature_y=6
masked() {
  local x y cx cy
  read -r x y < <(sed -n "s/^$(basename "$1") //p" "$out/A/cells.txt")
  cx=$(( 16 + 32 * (player_col + creature_x - ${x:-5}) ))
  cy=$(( 16 + 32 * (player_row + creature_y - ${y:-5}) ))
  local map=()
  [[ "$1" == *_m.png ]] && map=(-draw "rectangle 32,128 63,159")
  convert "$1" -fill black \
    -draw "rectangle $((16 + 32 * player_col)),$((16 + 32 * (player_row - 1))) $((47 + 32 * player_col)),$((47 + 32 * player_row))" \
    -draw "rectangle $((cx - 16)),$((cy - 32)) $((cx + 47)),$((cy + 31))" \
    -draw "rectangle 570,496 800,516" -draw "rectangle 170,0 397,16" -draw "rectangle 0,576 16,600" "${map[@]}" "$2"
}
pictures=0
for p in "$out"/A/shots/*.png; do
  q=$out/B/shots/$(basename "$p")
  pictures=$((pictures + 1))
  [ -f "$q" ] || { echo "no picture B/$(basename "$p")"; rc=1; continue; }
  masked "$p" "$out/masked_A.png"
  masked "$q" "$out/masked_B.png"
  d=$(compare -metric AE "$out/masked_A.png" "$out/masked_B.png" null: 2>&1)
  [ "$d" = 0 ] || { echo "$(basename "$p"): $d pixels differ"; rc=1; }
done
echo "pictures compared: $pictures"

# Then each end-to-end case with each build, four at a time, each under an X
# server of its own as ctest runs it: the lines its server
# received, in order.
run_case() {
  local side=$1 c=$2 build=$3 screen args=()
  screen=$(sed -n 's/^# screen: \([0-9x]*\)$/\1/p' "$here/cases/$c.sh")
  [ -n "$screen" ] && args=(-s "-screen 0 $screen")
  xvfb-run -a "${args[@]}" bash "$here/ab_play.sh" --case "$c" "$build" "$out/cases/$side" > "$out/cases/$side.$c.log" 2>&1 ||
    echo "$side $c: the case failed (cases/$side.$c.log)"
}
export -f run_case
export here out
mkdir -p "$out/cases"
for c in "$here"/cases/*.sh; do
  c=$(basename "$c" .sh)
  echo "A $c $1"
  echo "B $c $2"
done | xargs -P 4 -L 1 bash -c 'run_case "$@"' _ | tee "$out/cases/failed.txt"
[ -s "$out/cases/failed.txt" ] && rc=1
cases=0
# A case walks by holding keys and strikes at a creature that walks: its
# steps, turns, blows, casts at a cell and what it gets (where the creature
# fell) follow the machine's speed, and are left aside here (the journey
# above compares its own).
timed='^recv\[[0-9]+\]: (m|r|a|g|M [0-9]+ [0-9]+ [0-9-]+ [0-9-]+) '
for f in "$out"/cases/A/*.txt; do
  cases=$((cases + 1))
  diff <(grep -vE "$timed" "$f") <(grep -vE "$timed" "$out/cases/B/$(basename "$f")") > /dev/null ||
    { echo "case $(basename "$f" .txt): the server received other lines"; rc=1; }
done
echo "cases compared: $cases, lines: $(cat "$out"/cases/A/*.txt | grep -cvE "$timed")"
exit $rc
