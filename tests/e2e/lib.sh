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

# How the waits end. A wait ends when what it waits for has come, and gives
# up only when the case has stood still for $still_secs: none of its logs (the
# server's, the client's output, the keys the client took, a helper's log in
# the case's folder) has grown for so long. In play the logs always grow (the
# client's keep-alives, the creatures), and the client's own clock bounds the
# wait instead: it gives up once the client has ticked (see the client script
# below) $still_ticks times since the wait began, that many passes of the
# client and that many tenths of a second at least. A slow machine makes a
# case take longer, never fail; ctest's time limit (tests/e2e/CMakeLists.txt)
# is the last bound of a case that keeps moving without getting anywhere.
still_secs=60
still_ticks=$((still_secs * 10))
# A pause between two looks, without starting a process: a read from a pipe
# that no one writes to.
exec {pause_fd}<> <(:)
pause() { read -r -t "${1:-0.05}" -u "$pause_fd" _; }
# The client's ticks so far (ticks.log, below).
ticks() { stat -c %s "$work/game/ticks.log" 2>/dev/null || echo 0; }
# The sizes of the case's logs: they change while the case moves.
activity() { stat -c %s -- "$work"/*.log "$work"/*.out "$work/game/keys.log" 2>/dev/null; }

# Runs the command $@ until it succeeds (0), or until the case has stood
# still or the client has ticked $still_ticks times (1).
until_ok() {
  local last= now since=$SECONDS looked=-1 first_tick
  first_tick=$(ticks)
  while :; do
    "$@" && return 0
    if [ "$SECONDS" != "$looked" ]; then
      looked=$SECONDS
      now=$(activity)
      if [ "$now" != "$last" ]; then
        last=$now
        since=$SECONDS
      elif ((SECONDS - since >= still_secs)); then
        return 1
      fi
      (($(ticks) - first_tick < still_ticks)) || return 1
    fi
    pause
  done
}
# The same, for what the screen shows once the client has drawn it; a number
# of seconds before the command, as older cases give, is left aside.
eventually() {
  [[ "${1:-}" =~ ^[0-9]+$ ]] && shift
  until_ok "$@"
}

# Waits for a line matching $1 in file $2 (or, in the older form with a
# number of seconds between them, in file $3).
has_line() { grep -q -- "$1" "$2" 2>/dev/null; }
wait_for() {
  local file=$2
  [ $# -ge 3 ] && file=$3
  until_ok has_line "$1" "$file"
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

# The server's own time limit, for a server that outlives its case (the case
# ends it otherwise): far above the longest case on the slowest machine.
server_secs=3600
# Starts a development server on a free port of the case's data folder,
# logging to file $1, with the further arguments given; sets new_server_pid
# and new_server_port.
launch_server() {
  local log=$1
  shift
  "$build/devserver" --port 0 --dir "$work/srv" --log "$log" --timeout "$server_secs" "$@" \
    >> "$work/server.out" 2>&1 &
  new_server_pid=$!
  wait_for "listening on" "$log" || fail "server did not start"
  new_server_port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$log" | head -1)
}
# Starts the server (ending with its last client) with extra arguments; sets
# server_pid and port, and the client's settings to that port.
start_server() {
  launch_server "$work/server.log" --once "$@"
  server_pid=$new_server_pid
  port=$new_server_port
  sed -i "s/^port=.*//" "$work/game/client.cfg"
  echo "port=$port" >> "$work/game/client.cfg"
  # The first row of the server list, for sessions that pick their server.
  echo "Test server:127.0.0.1:$port" > "$work/game/dat/serverlist.txt"
}

# The client's window: there is no window manager, so it sits at 0,0.
client_window() { xdotool search --name '^zib$' 2>/dev/null | head -1; }

# Waits for the client's window and gives it the keyboard. A window seen for
# the first time gets a second more: Allegro warps the pointer about half a
# second after the window opens.
focused_window=
window_seen() { wid=$(client_window); [ -n "$wid" ]; }
focus_client() {
  local wid=
  until_ok window_seen || return 1
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

# Picture file $1 of the screen's top left corner, 800x600 or the size $2.
screenshot() { import -window root -crop "${2:-800x600}+0+0" +repage "$1" 2>/dev/null; }
# Pixels of colour $3 ("(r,g,b)") in the region $2 (WxH+X+Y) of picture file $1.
pixels() {
  /usr/bin/convert "$1" -crop "$2" +repage -format %c histogram:info:- |
    awk -v c="$3" 'index($0, c) { n += $1 } END { print n + 0 }'
}
# Takes picture file $1 again and again until its region $2 holds at least
# $4 pixels of colour $3: the client draws a frame a pass after what it shows
# has happened, and the window shows it later still. The last picture taken
# stays for the reader of a failure.
picture_holds() { screenshot "$1" && [ "$(pixels "$1" "$2" "$3")" -ge "$4" ]; }
screen_shows() { until_ok picture_holds "$@"; }

# The pictures a case names, NAME.png in its folder DIR (the case's shots, or
# its own folder). shot takes picture NAME of the screen's region CROP
# (WxH+X+Y; WxH alone from the top left corner; 800x600 when none is given)
# and fails the case when there is none.
shot() {
  local crop=${3:-800x600}
  [[ "$crop" == *+* ]] || crop+=+0+0
  import -window root -crop "$crop" +repage "$1/$2.png" 2>/dev/null || fail "no picture $2"
}
# Pixels of colour $4 ("(r,g,b)") in the region $3 (WxH+X+Y) of picture NAME ($2) of DIR ($1).
count() { pixels "$1/$2.png" "$3" "$4"; }
# Pixels in which pictures $2 and $3 of DIR ($1) differ.
differ() { local n; n=$(/usr/bin/compare -metric AE "$1/$2.png" "$1/$3.png" null: 2>&1); echo "${n%% *}"; }

# Waits until the client has shown the message TEXT N times (default once).
seen() { [ "$(grep -cF -- "$1" "$work/client.out")" -ge "${2:-1}" ]; }
said() { until_ok seen "$@" || fail "no message '$1' (x${2:-1})"; }
logged() { wait_for "$1" "$work/server.log" || fail "the server did not log '$1'"; }

# Two logs of a client script: keys.log, the keys the client has taken from
# its buffer in play, one line each (a script's key hook sees every key
# before the client acts on it); and ticks.log, the client's ticks, a byte
# each: in play the client calls a script's auxbox hook in a pass once 100 ms
# have gone by since the last call, so n ticks are at least n passes and n
# tenths of a second. The ticks are the clock of what the client does in
# play, slow when the machine is.
cat > "$work/game/clientscripts/zz_key_log.lua" <<'LUA'
if not add_hook then dofile("clientscripts/hooks.lua") end
add_hook("auxbox_keypressed", "key_log", function(key)
  local f = io.open("keys.log", "a")
  if f then f:write(key, "\n") f:close() end
end)
add_hook("auxbox", "tick_log", function()
  local f = io.open("ticks.log", "a")
  if f then f:write(".") f:close() end
end)
LUA
keys_taken() { cat "$work/game/keys.log" 2>/dev/null | wc -l; }
taken_at_least() { [ "$(keys_taken)" -ge "$1" ]; }
# Waits until the client has taken $1 keys in all.
wait_keys() { until_ok taken_at_least "$1"; }

# Presses KEY ($2) with the modifier MOD ($1) held until the client has taken
# it: the client reads the modifiers when it acts on the key, which can be late.
mod_key() {
  local n=$(( $(keys_taken) + 1 )) rc
  xdotool keydown "$1" key "$2"
  wait_keys "$n"; rc=$?
  xdotool keyup "$1"
  return $rc
}

# The first N ($2) lines the client sent after the server's line $1, one a
# line, leaving aside the inventory requests (* and **), which a scenario
# serves by the way, and the lines the client sends by the clock (see
# client_lines): what a scenario's "expect" checks, for a scenario that
# "await"s the line so that a keep-alive sent before it passes by.
sent_after() {
  awk -v after="send[0]: $1" -v n="$2" '
    !go { go = $0 == after; next }
    /^recv\[[0-9]+\]: / {
      line = substr($0, index($0, ": ") + 2)
      if (line ~ /^([+|]|x |\*\*?$)/) next
      print line
      if (--n == 0) exit
    }' "$work/server.log"
}

ticked_to() { [ "$(ticks)" -ge "$1" ]; }
# Waits until the client has ticked $1 more times.
wait_ticks() { until_ok ticked_to $(( $(ticks) + $1 )); }

# Holds key NAME down while the client ticks N times (Allegro polls held
# keys): the client has seen the key down in N passes at least.
hold_key() {
  xdotool keydown "$1"
  wait_ticks "$2"
  xdotool keyup "$1"
}

# The lines the client has sent the server but those it sends by the clock:
# keep-alives (+), its figures (x) and the open trade list's partner (|).
client_lines() { grep -cE '^recv\[[0-9]+\]: ([^+|x]|x[^ ])' "$work/server.log" 2>/dev/null; }
# The ticks the client has to answer a key press it took: an answer comes in
# the pass that takes the key, or once the line that pass sent has reached
# the server and come back; at least two seconds and twenty passes.
answer_ticks=20
answered_or_late() { "${@:2}" && answer=1 && return 0; ticked_to "$1"; }
# Runs the command $@ until it succeeds (0) or the client has ticked
# $answer_ticks times (1): for the answer to a press the client has taken.
answered() {
  local end=$(( $(ticks) + answer_ticks ))
  answer=
  until_ok answered_or_late "$end" "$@" || return 1
  [ -n "$answer" ]
}
# Presses with the command $2... until the test $1 (a shell snippet) holds.
# A press the client took without an answer (an action key is refused for a
# moment after the last), and that sent the server nothing, is made again.
# 1 when the client does not take a press, or refuses them for $still_secs.
press_until() {
  local test=$1 k lines since=$SECONDS
  shift
  while :; do
    k=$(keys_taken)
    lines=$(client_lines)
    "$@"
    wait_keys $((k + 1)) || return 1
    answered eval "$test" && return 0
    if [ "$(client_lines)" -gt "$lines" ]; then
      until_ok eval "$test"
      return
    fi
    ((SECONDS - since < still_secs)) || return 1
  done
}

# Clicks button $3 (1 left, 3 right) at X Y until PATTERN ($4) shows in FILE
# ($5): the button stays down while the client ticks twice, for the client
# polls the buttons once a pass, and a click it did not answer is made again
# (as a key in press_until).
click_until() {
  local lines since=$SECONDS
  while :; do
    lines=$(client_lines)
    xdotool mousemove "$1" "$2" mousedown "$3"
    wait_ticks 2
    xdotool mouseup "$3"
    answered has_line "$4" "$5" && return 0
    if [ "$(client_lines)" -gt "$lines" ]; then
      wait_for "$4" "$5"
      return
    fi
    ((SECONDS - since < still_secs)) || return 1
  done
}

# Types KEYS once PATTERN shows in the client's output.
type_after() {
  wait_for "$1" "$work/client.out" || return 1
  focus_client || return 1
  send_keys "$2"
}

# Runs the client (with "-s" unless arguments follow) while the command $1 (a
# shell snippet, usually type_after calls) types its keys, and waits for it
# to end. (An older form named a number of seconds after $1; it is left aside.)
client_gone() { ! kill -0 "$client_pid" 2>/dev/null; }
run_client() {
  local keys=$1
  shift
  [[ "${1:-}" =~ ^[0-9]+$ ]] && shift
  local args=("$@")
  [ "${#args[@]}" = 0 ] && args=(-s)
  rm -f "$work/client.out"
  (cd "$work/game" && exec ./zib "${args[@]}" < /dev/null) > "$work/client.out" 2>&1 &
  client_pid=$!
  (eval "$keys") &
  keys_pid=$!
  until_ok client_gone || fail "the client is still running, and the case has stood still"
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
  wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
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
# the server's answer, not a guess. 1 when the case stands still first.
answers() { grep -c "^move\[0\]: " "$work/server.log"; }
answered_past() { [ "$(answers)" -gt "$1" ]; }
step() {
  local before rc
  before=$(answers)
  xdotool keydown "$1"
  until_ok answered_past "$before"
  rc=$?
  xdotool keyup "$1"
  return $rc
}

# Walks the player onto cell X Y a step at a time, choosing each step from
# the server's last accepted move once the client has ticked twice after the
# key was let go: a refused step is tried again and a step too many (a key
# let go late on a loaded machine) is walked back. 1 when ten steps in a row
# bring the player no nearer than he has been. With no move and no level
# logged yet, the player stands on the sample character's first cell, 5 5.
walk_to() {
  local at ax ay key far best= stale=0
  while :; do
    at=$(last_move)
    at=${at:-5 5}
    [ "$at" = "$1 $2" ] && return 0
    read -r ax ay <<<"$at"
    far=$(( (ax > $1 ? ax - $1 : $1 - ax) + (ay > $2 ? ay - $2 : $2 - ay) ))
    if [ -z "$best" ] || [ "$far" -lt "$best" ]; then
      best=$far
      stale=0
    elif ((++stale >= 10)); then
      return 1
    fi
    if [ "$ay" -lt "$2" ]; then key=Down
    elif [ "$ay" -gt "$2" ]; then key=Up
    elif [ "$ax" -lt "$1" ]; then key=Right
    else key=Left
    fi
    step "$key" || return 1
    wait_ticks 2 || return 1
  done
}

# Holds CTRL and the arrow key $1 until the server has had one more blow.
blows() { grep -c "^recv\[0\]: a " "$work/server.log"; }
blown_past() { [ "$(blows)" -gt "$1" ]; }
strike() {
  local before rc
  before=$(blows)
  xdotool keydown ctrl keydown "$1"
  until_ok blown_past "$before"
  rc=$?
  xdotool keyup "$1" keyup ctrl
  return $rc
}
