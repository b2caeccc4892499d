# Helpers of the end-to-end cases, sourced by run_e2e.sh: a temporary game
# directory, the development server, the client and keys typed with xdotool.
work=$(mktemp -d /tmp/zib-e2e.XXXXXX)
server_pid=
client_pid=
keys_pid=
shots_kept=
# Every process the case started, children before parents.
descendants() {
  local p
  for p in $(pgrep -P "$1"); do
    descendants "$p"
    echo "$p"
  done
}
# Ends what the case started (clients, server, key typers and the xdotool
# or import they run) and waits for it, so that nothing outlives the case or
# writes into its folder while it goes. A failed case also ends the X
# server of its xvfb-run, whose own clean-up stops at its first error and
# would leave it running (after a case that passed, xvfb-run's kill must
# find it, or its status is 1).
cleanup() {
  local rc=$? procs p i
  trap - EXIT INT TERM HUP
  procs=$(descendants $$)
  [ -n "$procs" ] && kill $procs 2>/dev/null
  for ((i = 0; i < 50; i++)); do
    p=
    for p in $procs; do kill -0 "$p" 2>/dev/null && break; p=; done
    [ -z "$p" ] && break
    sleep 0.1
  done
  for p in $procs; do kill -0 "$p" 2>/dev/null && kill -KILL "$p" 2>/dev/null; done
  wait 2>/dev/null
  keep_shots
  rm -rf "$work"
  if [ "$rc" != 0 ] && [ "$(ps -o comm= -p "$PPID")" = xvfb-run ]; then
    p=$(pgrep -P "$PPID" -x Xvfb)
    [ -n "$p" ] && kill "$p" 2>/dev/null
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The case's pictures: taken into $shots in the case's own folder and kept
# in the build tree as $1 when the case ends, passed or failed, so that
# suites run side by side do not take or remove each other's.
shots_as() {
  shots="$work/shots"
  shots_kept="$build/$1"
  mkdir -p "$shots"
}
keep_shots() {
  [ -n "$shots_kept" ] && [ -d "$shots" ] || return 0
  rm -rf "$shots_kept.$$"
  cp -r "$shots" "$shots_kept.$$" && rm -rf "$shots_kept" && mv -T "$shots_kept.$$" "$shots_kept" 2>/dev/null
  rm -rf "$shots_kept.$$"
}

fail() {
  echo "FAIL ($case_name): $*"
  echo "--- server log"; cat "$work/server.log" 2>/dev/null | cut -c1-200
  echo "--- client output"; cut -c1-200 "$work/client.out" 2>/dev/null | tail -40
  exit 1
}

# Waits up to $2 seconds for a line matching $1 in file $3.
wait_for() {
  local pattern=$1 secs=$2 file=$3 i
  for ((i = 0; i < secs * 20; i++)); do
    grep -q -- "$pattern" "$file" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

# The game directory as the build makes it, without what a player left in
# build/game.
bash "$src/tests/e2e/fresh_game.sh" "$src" "$build" "$work/game" > /dev/null ||
  { echo "FAIL ($case_name): no game directory"; exit 1; }
# The client draws into a window (the test runs under xvfb-run); pictures
# missing from the game directory are made from fixtures, and no message box
# may wait for a click.
[ -n "${DISPLAY:-}" ] || { echo "FAIL ($case_name): no DISPLAY; run under xvfb-run"; exit 1; }
"$build/fixture_art_tool" "$work/game/pics" || { echo "FAIL ($case_name): no fixture art"; exit 1; }
export ZIB_NO_DIALOGS=1
printf 'patched=1\nserver=127.0.0.1\naccount=demo\npasswd=demo\nsavepass=1\nname=Demo\nserver_idx=0\n' \
  > "$work/game/client.cfg"

# Starts the server with extra arguments; sets port from its log.
start_server() {
  "$build/devserver" --port 0 --dir "$work/srv" --log "$work/server.log" --once --timeout 60 "$@" \
    > "$work/server.out" 2>&1 &
  server_pid=$!
  wait_for "listening on" 10 "$work/server.log" || fail "server did not start"
  port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/server.log" | head -1)
  sed -i "s/^port=.*//" "$work/game/client.cfg"
  echo "port=$port" >> "$work/game/client.cfg"
  # The first row of the server list, for sessions that pick their server.
  echo "Test server:127.0.0.1:$port" > "$work/game/dat/serverlist.txt"
}

# The client's window: there is no window manager, so it sits at 0,0.
client_window() { xdotool search --name '^zib$' 2>/dev/null | head -1; }

# Waits (at most 10 s) for the client's window and gives it the keyboard. A
# window seen for the first time gets a second more: Allegro warps the
# pointer about half a second after the window opens.
focused_window=
focus_client() {
  local i wid=
  for ((i = 0; i < 200; i++)); do
    wid=$(client_window)
    [ -n "$wid" ] && break
    sleep 0.05
  done
  [ -n "$wid" ] || return 1
  if [ "$wid" != "$focused_window" ]; then
    sleep 1
    focused_window=$wid
  fi
  timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
}

# Types KEYS into the client's window: \n is ENTER, \033 is ESC, the rest
# is typed as it stands.
send_keys() {
  local s=$1 run=
  flush() { [ -n "$run" ] && xdotool type --delay 30 -- "$run"; run=; }
  while [ -n "$s" ]; do
    case "$s" in
      '\n'*) flush; xdotool key Return; s=${s:2} ;;
      '\033'*) flush; xdotool key Escape; s=${s:4} ;;
      *) run+=${s:0:1}; s=${s:1} ;;
    esac
  done
  flush
}

# Runs the command $2... every 0.1 s until it succeeds, at most $1 seconds:
# for what the screen shows once the client has drawn it.
eventually() {
  local secs=$1 i
  shift
  for ((i = 0; i < secs * 10; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}

# Picture file $1 of the screen's top left corner, 800x600 or the size $2.
screenshot() { import -window root -crop "${2:-800x600}+0+0" +repage "$1" 2>/dev/null; }
# Pixels of colour $3 ("(r,g,b)") in the region $2 (WxH+X+Y) of picture file $1.
pixels() {
  /usr/bin/convert "$1" -crop "$2" +repage -format %c histogram:info:- |
    awk -v c="$3" 'index($0, c) { n += $1 } END { print n + 0 }'
}
# Takes picture file $1 again and again (at most 5 s) until its region $2
# holds at least $4 pixels of colour $3: the client draws a frame a pass after
# what it shows has happened, and the window shows it later still. The last
# picture taken stays for the reader of a failure.
screen_shows() {
  local i
  for ((i = 0; i < 50; i++)); do
    screenshot "$1" && [ "$(pixels "$1" "$2" "$3")" -ge "$4" ] && return 0
    sleep 0.1
  done
  return 1
}

# Waits (10 s at most) until the client has shown the message TEXT N times
# (default once).
seen() { [ "$(grep -cF -- "$1" "$work/client.out")" -ge "${2:-1}" ]; }
said() { eventually 10 seen "$@" || fail "no message '$1' (x${2:-1})"; }
logged() { wait_for "$1" 5 "$work/server.log" || fail "the server did not log '$1'"; }

# Clicks button $3 (1 left, 3 right) at X Y until PATTERN ($4) shows in FILE
# ($5), at most three times: the client polls the buttons once a pass, and a
# click made while it was not looking is made again.
click_until() {
  local i
  for i in 1 2 3; do
    xdotool mousemove "$1" "$2" mousedown "$3"; sleep 0.2; xdotool mouseup "$3"
    wait_for "$4" 5 "$5" && return 0
  done
  return 1
}

# The keys the client has taken from its buffer in play, one line each: a
# client script's key hook sees every key before the client acts on it.
cat > "$work/game/clientscripts/zz_key_log.lua" <<'LUA'
if not add_hook then dofile("clientscripts/hooks.lua") end
add_hook("auxbox_keypressed", "key_log", function(key)
  local f = io.open("keys.log", "a")
  if f then f:write(key, "\n") f:close() end
end)
LUA
keys_taken() { cat "$work/game/keys.log" 2>/dev/null | wc -l; }
taken_at_least() { [ "$(keys_taken)" -ge "$1" ]; }
# Waits (at most 10 s) until the client has taken $1 keys in all.
wait_keys() { eventually 10 taken_at_least "$1"; }

# Presses KEY ($2) with the modifier MOD ($1) held until the client has taken
# it: the client reads the modifiers when it acts on the key, which can be late.
mod_key() {
  local n=$(( $(keys_taken) + 1 )) rc
  xdotool keydown "$1" key "$2"
  wait_keys "$n"; rc=$?
  xdotool keyup "$1"
  return $rc
}

# Holds key NAME down for SECS seconds (Allegro polls held keys).
hold_key() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}

# Types KEYS once PATTERN shows in the client's output (at most 30 s).
type_after() {
  wait_for "$1" 30 "$work/client.out" || return 1
  focus_client || return 1
  send_keys "$2"
}

# Runs the client (with "-s" unless arguments follow) while the command $1 (a
# shell snippet, usually type_after calls) types its keys, and waits for it
# to end within $2 seconds.
run_client() {
  local keys=$1 secs=$2 i
  shift 2
  local args=("$@")
  [ "${#args[@]}" = 0 ] && args=(-s)
  rm -f "$work/client.out"
  (cd "$work/game" && exec ./zib "${args[@]}" < /dev/null) > "$work/client.out" 2>&1 &
  client_pid=$!
  (eval "$keys") &
  keys_pid=$!
  for ((i = 0; i < secs * 20; i++)); do
    kill -0 "$client_pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$client_pid" 2>/dev/null; then fail "client still running after ${secs}s"; fi
  wait "$client_pid"
  client_rc=$?
  client_pid=
  kill "$keys_pid" 2>/dev/null
  wait "$keys_pid" 2>/dev/null
  keys_pid=
}

# Starts the client with "-s" (or the arguments given) in the background;
# keys come from the caller.
start_client() {
  local args=("$@")
  [ "${#args[@]}" = 0 ] && args=(-s)
  rm -f "$work/client.out"
  (cd "$work/game" && exec ./zib "${args[@]}" < /dev/null) > "$work/client.out" 2>&1 &
  client_pid=$!
}

# The server and the client, logged in and in play with the keyboard; the
# pointer rests on the side panel, where it moves nothing.
start_play() {
  start_server
  start_client
  wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
  focus_client || fail "no window"
  xdotool mousemove 700 580
}

# The player's cell ("X Y"): after the server's last accepted move, else the
# one the level put him on (a session starts where the last one left him).
last_move() {
  local at
  at=$(sed -n 's/^move\[0\]: \([0-9]*\) \([0-9]*\)$/\1 \2/p' "$work/server.log" | tail -1)
  [ -n "$at" ] ||
    at=$(sed -n 's/^send\[0\]: K [0-9-]* [0-9-]* [0-9-]* \([0-9]*\) \([0-9]*\) .*/\1 \2/p' \
      "$work/server.log" | tail -1)
  echo "$at"
}

# Holds the arrow key NAME until the server has answered one more step
# (taken or refused), then lets it go: how long the key stays down follows
# the server's answer, not a guess. 1 when no answer comes within 5 s.
step() {
  local before i
  before=$(grep -c "^move\[0\]: " "$work/server.log")
  xdotool keydown "$1"
  for ((i = 0; i < 100; i++)); do
    [ "$(grep -c "^move\[0\]: " "$work/server.log")" -gt "$before" ] && break
    sleep 0.05
  done
  xdotool keyup "$1"
  [ "$i" -lt 100 ]
}

# Walks the player onto cell X Y a step at a time, choosing each step from
# the server's last accepted move: a refused step is tried again and a step
# too many (a key let go late on a loaded machine) is walked back. With no
# move and no level logged yet, the player stands on the sample character's
# first cell, 5 5.
walk_to() {
  local i at ax ay key
  for ((i = 0; i < 20; i++)); do
    at=$(last_move)
    at=${at:-5 5}
    [ "$at" = "$1 $2" ] && return 0
    read -r ax ay <<<"$at"
    if [ "$ay" -lt "$2" ]; then key=Down
    elif [ "$ay" -gt "$2" ]; then key=Up
    elif [ "$ax" -lt "$1" ]; then key=Right
    else key=Left
    fi
    step "$key" || return 1
    sleep 0.2
  done
  return 1
}
