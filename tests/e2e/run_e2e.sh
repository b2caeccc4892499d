#!/usr/bin/env bash
# One end-to-end case: run_e2e.sh CASE BUILD_DIR.
# The client runs from a copy of the game directory in a window of the
# private X server; keys are typed into that window with xdotool, and it logs
# each intro screen it enters ("intro: menu"); the server's log tells what it
# received.
set -uo pipefail
case_name=$1
build=$(cd "$2" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/zib-e2e.XXXXXX)
server_pid=
client_pid=
keys_pid=
cleanup() {
  [ -n "$keys_pid" ] && kill "$keys_pid" 2>/dev/null
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

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

cp -r "$build/game" "$work/game"
rm -f "$work/game/cl_log.txt"
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
  sleep 0.5
}

# The player's cell after the server's last accepted move ("X Y").
last_move() { sed -n 's/^move\[0\]: \([0-9]*\) \([0-9]*\)$/\1 \2/p' "$work/server.log" | tail -1; }

# The goblin's cell ("X Y") after the server's last creature move line; the
# numbers are one character each, the character code less 33.
goblin_cell() {
  local line x y
  line=$(LC_ALL=C sed -n 's/^send\[0\]: o //p' "$work/server.log" | tail -1)
  [ -n "$line" ] || return 1
  read -r _ x y _ <<<"$line"
  [ "${#x}" = 1 ] && [ "${#y}" = 1 ] || return 1
  echo "$(( $(LC_ALL=C printf '%d' "'$x") - 33 )) $(( $(LC_ALL=C printf '%d' "'$y") - 33 ))"
}

# Presses KEY with CTRL held long enough for the client's poll of held keys.
ctrl_key() {
  xdotool keydown ctrl
  hold_key "$1" 0.15
  xdotool keyup ctrl
}

# The player's side of the market demo. The merchant's list opens on the
# blades: SHIFT+ENTER takes ten steps, that is all three, and ESC closes the
# list, which sends it. At the bank ENTER deposits one blade. The recipe is
# left with ESC. The player walks next to the goblin's round (5,5 -> 5,6 ->
# 6,6) and attacks east with CTRL whenever the goblin stands there; once hit
# back it readies the blade from the ready list ('w', ENTER, ESC).
keys_for_market() {
  local i cell
  type_after 'Merchant: What would you like to buy?' '' || return 1
  sleep 0.3
  # SHIFT stays down until the client has read ENTER, as a player's would.
  xdotool keydown shift
  sleep 0.15
  xdotool key Return
  sleep 0.15
  xdotool keyup shift
  sleep 0.3
  send_keys '\033'
  type_after 'Banker: What would you like to bank?' '' || return 1
  sleep 0.3
  send_keys '\n'
  sleep 0.3
  send_keys '\033'
  type_after 'Select base ingredient' '' || return 1
  sleep 0.3
  send_keys '\033'
  # The pointer rests on the side panel, where it moves nothing.
  xdotool mousemove 700 580
  sleep 0.3
  hold_key Down 0.15
  wait_for "move\[0\]: 5 6$" 5 "$work/server.log" || return 1
  sleep 0.5
  hold_key Right 0.15
  wait_for "move\[0\]: 6 6$" 5 "$work/server.log" || return 1
  for ((i = 0; i < 200; i++)); do
    grep -q "^fight\[0\]: goblin attacked" "$work/server.log" && break
    cell=$(goblin_cell)
    if [ "$cell" = "7 6" ]; then
      ctrl_key Right
      sleep 0.3
    fi
    sleep 0.05
  done
  type_after 'Hit by Goblin' w || return 1
  sleep 0.3
  send_keys '\n'
  sleep 0.3
  send_keys '\033'
}

case "$case_name" in
  login_ready)
    # Without its own copy of the level the client has it transferred.
    rm -f "$work/game/cmaps/lvl001.map"
    start_server
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach the ready state"
    grep -q "^recv\[0\]: C [0-9a-f]* demo demo Demo x zib notwindows x x x 0 0 0 x 0 0 0 0$" \
      "$work/server.log" || fail "login line"
    grep -q "^recv\[0\]: Y [0-9a-f:]*$" "$work/server.log" || fail "data-file report"
    grep -q "^recv\[0\]: \*\*$" "$work/server.log" || fail "no end of the inventory sync"
    grep -q "^recv\[0\]: ^ i$" "$work/server.log" || fail "no '^ i' after the sync"
    grep -q "^recv\[0\]: L 1$" "$work/server.log" || fail "no map request"
    grep -q "^recv\[0\]: i$" "$work/server.log" || fail "no 'i' after the reload"
    [ -f "$work/game/cmaps/lvl001.map" ] || fail "map not transferred"
    cmp -s "$work/game/cmaps/lvl001.map" "$work/srv/cmaps/lvl001.map" || fail "map differs"
    wait_for "Welcome to the sample world" 10 "$work/client.out" || fail "no welcome message"
    kill -INT "$client_pid"
    for ((i = 0; i < 100; i++)); do kill -0 "$client_pid" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$client_pid" 2>/dev/null && fail "client did not quit"
    wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc after the quit request"
    wait_for "close\[0\]" 5 "$work/server.log" || fail "server saw no close"
    [ "$(grep -c '^recv\[0\]: q$' "$work/server.log")" = 1 ] || fail "'q' not sent exactly once"
    grep -q "Quit and exit!" "$work/client.out" || fail "no 'Quit and exit!'"
    ;;
  verdicts)
    # verdict, expected exit status, expected message. "x" answers the refusal;
    # the refusals that lead back to the creation form (status 0) leave it with
    # ESC and quit in the menu with "q".
    while IFS='|' read -r verdict want msg; do
      rm -f "$work/server.log"
      start_server --verdict "$verdict"
      keys="type_after 'Press any key' x"
      [ "$want" = 0 ] && keys+="; type_after 'intro: creation form' '\033q'"
      run_client "$keys" 30
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
    ;;
  out_of_date)
    start_server --client-crc 1
    printf '#!/bin/sh\necho patched > patch-ran.txt\nexit 0\n' > "$work/game/patch.sh"
    chmod +x "$work/game/patch.sh"
    run_client "true" 20
    [ -f "$work/game/patch-ran.txt" ] || fail "the updater was not started"
    grep -q "Incorrect client version." "$work/client.out" || fail "no version log line"
    grep -q "^send\[0\]: C1$" "$work/server.log" || fail "server did not answer C1"
    ;;
  closed_port)
    # A port that was just in use and is closed again.
    start_server
    kill "$server_pid"; wait "$server_pid" 2>/dev/null; server_pid=
    run_client "type_after 'Press q to quit now' q" 30
    [ "$client_rc" = 1 ] || fail "exit status $client_rc, wanted 1"
    grep -q "Could not connect to 127.0.0.1:$port" "$work/client.out" || fail "no connect message"
    grep -q "Press q to quit now or any other key to try again." "$work/client.out" || fail "no prompt"
    ;;
  server_closes)
    printf 'wait 300\nsend MsGoodbye\nclose\n' > "$work/scenario.txt"
    start_server --scenario "$work/scenario.txt"
    run_client "type_after 'Press q to quit.' q; type_after 'intro: title screen' xq" 40
    [ "$client_rc" = 0 ] || fail "exit status $client_rc, wanted 0"
    grep -q "Goodbye" "$work/client.out" || fail "scenario message not shown"
    grep -q "Connection from server closed." "$work/client.out" || fail "no closed message"
    grep -q "Press q to quit." "$work/client.out" || fail "no q prompt"
    grep -q "intro: menu" "$work/client.out" || fail "no next session"
    ;;
  data_push)
    # A data file of another version is replaced by the server's before play.
    echo "# an older copy" >> "$work/game/dat/spells.txt"
    start_server
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
    grep -q "^send\[0\]: Y 7$" "$work/server.log" || fail "no push of dat/spells.txt"
    [ "$(grep -c '^send\[0\]: Y ' "$work/server.log")" = 1 ] || fail "other files pushed"
    grep -q "^recv\[0\]: Z$" "$work/server.log" || fail "no 'Z' after the transfer"
    cmp -s "$work/game/dat/spells.txt" "$src/gamedata/dat/spells.txt" || fail "spells.txt not replaced"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    ;;
  accounts)
    # The server's own account checks, case by case.
    mkdir -p "$work/srv/chars"
    printf 'demo=demo\nbanned=pw:banned\nother=pw\n' > "$work/srv/accounts.cfg"
    printf 'account=other\n' > "$work/srv/chars/Stranger.cfg"
    printf 'account=banned\n' > "$work/srv/chars/Exile.cfg"
    printf 'account=demo\n' > "$work/srv/chars/Demo.cfg"
    set_login() { sed -i '/^account=/d; /^passwd=/d; /^name=/d' "$work/game/client.cfg"
                  printf 'account=%s\npasswd=%s\nname=%s\n' "$1" "$2" "$3" >> "$work/game/client.cfg"; }
    check() {  # expected status, message, keys, then the client's arguments
      local want=$1 msg=$2 keys=$3; shift 3
      rm -f "$work/server.log"
      start_server "${server_args[@]}"
      run_client "$keys" 30 "$@"
      [ "$client_rc" = "$want" ] || fail "$msg: exit status $client_rc, wanted $want"
      grep -q -- "$msg" "$work/client.out" || fail "no message '$msg'"
      wait "$server_pid" 2>/dev/null; server_pid=
    }
    # After a refusal with "-s", q at "Press any key" ends with 1. With "-c" the
    # creation form is filled in (the name, then ENTER through the fields that
    # "client.cfg" filled), and after the refusal q leads to the menu, where q
    # quits with 0.
    plain="type_after 'Press any key' q"
    create_as() {
      echo "type_after 'intro: creation form' '$1\n\n\n\n\n\n\n'; type_after 'Press any key' q;" \
        "type_after 'intro: menu' q"
    }
    server_args=()
    set_login demo wrong Demo;    check 1 "Incorrect account login!" "$plain" -s
    set_login demo demo Nobody;   check 1 "Character not found!" "$plain" -s
    set_login demo demo Stranger; check 1 "Requested character not linked to this account!" "$plain" -s
    set_login banned pw Exile;    check 1 "You have been banned!" "$plain" -s
    set_login demo demo Demo;     check 0 "New character name exists!" "$(create_as Demo)" -c
    server_args=(--no-create)
    set_login demo demo Newbie;   check 0 "Character creation has been disabled on this server!" "$(create_as Newbie)" -c
    # A new character is created, logged in, and stored by the server.
    rm -f "$work/server.log"
    start_server
    start_client -c Newbie
    type_after 'intro: creation form' 'Newbie\n\n\n\n\n\n\n' &
    keys_pid=$!
    wait_for "ready\[0\]: Newbie" 20 "$work/server.log" || fail "new character did not reach play"
    grep -q "^account=demo$" "$work/srv/chars/Newbie.cfg" || fail "character not stored"
    # The same account a second time while the first is playing.
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/second.out" 2>&1 &
    second=$!
    wait_for "Already logged in!" 20 "$work/second.out" || fail "second login not refused"
    kill -INT "$second"
    wait "$second"; rc=$?
    [ "$rc" = 1 ] || fail "refused second client ended with $rc"
    kill -INT "$client_pid"
    wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "first client ended with $rc"
    ;;
  world_follow)
    # A session that follows the world: a creature wanders, a data file is
    # pushed and reloaded, and the level changes to one the client lacks.
    rm -f "$work/game/cmaps/lvl002.map"
    printf 'trace=1\ntrace_password=wevu\nlog_chat=1\n' >> "$work/game/client.cfg"
    cat > "$work/scenario.txt" <<'STEPS'
wait 1500
push 7
expect Z
expect i
send K 0 2 2 5 5 0
expect L 2
wait 300
send MsArrived on level two
wait 600
STEPS
    start_server --scenario "$work/scenario.txt"
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "scenario\[0\]: done" 30 "$work/server.log" || fail "the scenario did not finish"
    grep -q "scenario: expected" "$work/server.log" && fail "the client answered otherwise"
    wait_for "Arrived on level two" 10 "$work/client.out" || fail "no message after the level change"
    # The creature was followed as it moved.
    grep -q "existing sent found, updating id=150" "$work/game/trace/zib.txt" \
      || fail "creature moves not followed"
    grep -q "Guide (whisper): Look around" "$work/client.out" || fail "whisper not shown"
    grep -q "Guide (whisper): Look around" "$work/game/msglog.txt" || fail "whisper not logged"
    # The pushed file, its reload, and the level transfer.
    grep -q "^send\[0\]: Y 7$" "$work/server.log" || fail "no push"
    [ "$(grep -c '^recv\[0\]: i$' "$work/server.log")" = 2 ] || fail "no second 'i' after the reload"
    grep -q "^send\[0\]: K 1 2 2 " "$work/server.log" || fail "no level transfer"
    cmp -s "$work/game/cmaps/lvl002.map" "$work/srv/cmaps/lvl002.map" || fail "level two differs"
    [ "$(grep -c 'msg: Entering' "$work/client.out")" = 2 ] || fail "levels not entered twice"
    grep -q "level sync error" "$work/client.out" && fail "level sync errors"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    # The minimap cache of each level: on leaving it and at the session's end.
    for f in Demo.001.mm Demo.002.mm; do
      [ "$(head -c 6 "$work/game/cmaps/$f" 2>/dev/null)" = "ZZZ:::" ] || fail "no minimap cache $f"
    done
    ;;
  character_file)
    # A character made with "-c" is kept in a character file of the server's
    # directory, written back when the session ends and read at the next login.
    start_server
    sed -i '/^name=/d' "$work/game/client.cfg"
    start_client -c Newbie
    type_after 'intro: creation form' 'Newbie\n\n\n\n\n\n\n' &
    keys_pid=$!
    wait_for "ready\[0\]: Newbie" 20 "$work/server.log" || fail "new character did not reach play"
    plr="$work/srv/chars/Newbie.plr"
    grep -q "^NAME=Newbie$" "$plr" || fail "no character file after the creation"
    grep -q "^X=5$" "$plr" && grep -q "^Y=5$" "$plr" && grep -q "^Z=1$" "$plr" \
      || fail "new character not at the starting spot"
    grep -q "^account=demo$" "$work/srv/chars/Newbie.cfg" || fail "character not linked to the account"
    # Removed while playing, the file is written again at the quit.
    rm -f "$plr"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    wait "$server_pid" 2>/dev/null; server_pid=
    grep -q "^NAME=Newbie$" "$plr" || fail "character file not written at the quit"
    # The stored position and level are what the next login starts from.
    sed -i 's/^X=.*/X=7/; s/^Y=.*/Y=9/; s/^LVL=.*/LVL=3/' "$plr"
    rm -f "$work/server.log"
    start_server
    echo "name=Newbie" >> "$work/game/client.cfg"
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "ready\[0\]: Newbie" 20 "$work/server.log" || fail "stored character did not reach play"
    grep -q "^send\[0\]: H 7 9 1 .* 3 [0-9-]* [0-9-]* [0-9-]*$" "$work/server.log" \
      || fail "handshake not from the stored character"
    grep -q "^send\[0\]: K 0 1 1 7 9 " "$work/server.log" || fail "level entry not at the stored spot"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    wait "$server_pid" 2>/dev/null; server_pid=
    grep -q "^X=7$" "$plr" && grep -q "^LVL=3$" "$plr" || fail "stored values lost at the quit"
    # A character stored before the character files, by its owner record
    # alone, gets a character file from it at its login.
    printf 'account=demo\nid=7\ngender=F\nx=8\ny=6\nlevel=1\n' > "$work/srv/chars/Elder.cfg"
    rm -f "$work/server.log"
    start_server
    echo "name=Elder" >> "$work/game/client.cfg"
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "ready\[0\]: Elder" 20 "$work/server.log" || fail "older character did not reach play"
    grep -q "^send\[0\]: INIT 7 .* Elder F 0 0$" "$work/server.log" || fail "older character's INIT"
    grep -q "^send\[0\]: H 8 6 1 " "$work/server.log" || fail "older character's position"
    grep -q "^GENDER=F$" "$work/srv/chars/Elder.plr" || fail "no character file for the older character"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    ;;
  hotkeys_kept)
    # Hotkey slots changed with "n i" lines are kept in the character and
    # come back with the next login's hotkey replies.
    start_server
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "first session did not reach play"
    kill -INT "$client_pid"; wait "$client_pid"; client_pid=
    wait "$server_pid" 2>/dev/null; server_pid=
    plr="$work/srv/chars/Demo.plr"
    sed -i 's/^\(IBINDS=\S* \S* \S* \)\S*/\1190/' "$plr"
    grep -q "^IBINDS=0 0 0 190 " "$plr" || fail "could not bind slot 3 in the character file"
    # The bound item changes: the client moves the binding along.
    printf 'wait 300\nsend k 190 191 1\nexpect n i 3 191\n' > "$work/scenario.txt"
    rm -f "$work/server.log"
    start_server --scenario "$work/scenario.txt"
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    grep -q "^send\[0\]: 0 0 0 190 0 " "$work/server.log" || wait_for "^send\[0\]: 0 0 0 190 0 " 20 \
      "$work/server.log" || fail "slot 3 not sent at login"
    wait_for "scenario\[0\]: done" 30 "$work/server.log" || fail "the scenario did not finish"
    grep -q "scenario: expected" "$work/server.log" && fail "the client answered otherwise"
    kill -INT "$client_pid"; wait "$client_pid"; client_pid=
    wait "$server_pid" 2>/dev/null; server_pid=
    grep -q "^IBINDS=0 0 0 191 " "$plr" || fail "the changed binding was not kept"
    rm -f "$work/server.log"
    start_server
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "^send\[0\]: 0 0 0 191 0 " 20 "$work/server.log" || fail "the kept binding not sent at login"
    kill -INT "$client_pid"; wait "$client_pid"; client_pid=
    ;;
  idle_slots)
    # Connections that never log in are closed after the login time-out, so
    # they cannot keep a real client out.
    "$build/devserver" --port 0 --dir "$work/srv" --log "$work/server.log" --timeout 60 \
      --slots 2 --login-timeout 500 > "$work/server.out" 2>&1 &
    server_pid=$!
    wait_for "listening on" 10 "$work/server.log" || fail "server did not start"
    port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/server.log" | head -1)
    sed -i "s/^port=.*//" "$work/game/client.cfg"
    echo "port=$port" >> "$work/game/client.cfg"
    exec 3<>"/dev/tcp/127.0.0.1/$port" 4<>"/dev/tcp/127.0.0.1/$port"
    wait_for "connect\[1\]" 5 "$work/server.log" || fail "idle connections not admitted"
    wait_for "close\[1\]: no login in time" 5 "$work/server.log" || fail "idle connection kept"
    grep -q "close\[0\]: no login in time" "$work/server.log" || fail "first idle connection kept"
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "ready\[[01]\]: Demo" 20 "$work/server.log" || fail "the client did not get in"
    grep -q "server full" "$work/server.log" && fail "a client was turned away"
    exec 3<&- 4<&-
    kill -INT "$client_pid"
    wait "$client_pid"; client_pid=
    ;;
  game_over)
    printf 'wait 300\nsend Q\n' > "$work/scenario.txt"
    start_server --scenario "$work/scenario.txt"
    run_client "type_after 'Press q to quit' q; type_after 'intro: title screen' xq" 40
    [ "$client_rc" = 0 ] || fail "exit status $client_rc, wanted 0"
    [ "$(grep -c '^recv\[0\]: q$' "$work/server.log")" -le 1 ] || fail "'q' sent twice"
    ;;
  display_start)
    # The real window opens at the configured size and the session runs in it.
    echo "res_x=1024" >> "$work/game/client.cfg"
    echo "res_y=700" >> "$work/game/client.cfg"
    start_server
    (cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
    wid=$(xdotool search --name '^zib$' 2>/dev/null | head -1)
    [ -n "$wid" ] || fail "no window"
    geometry=$(xdotool getwindowgeometry "$wid")
    echo "$geometry" | grep -q "Geometry: 1024x700" || fail "window geometry: $geometry"
    grep -q "alert:" "$work/client.out" && fail "an alert was raised"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    ;;
  intro_and_frame)
    # The intro screens and the first frame of play drawn in the window:
    # title, menu, the login form typed into, then play. Screenshots of the
    # root window are kept in the build tree.
    shots="$build/e2e-intro-and-frame"
    rm -rf "$shots"; mkdir -p "$shots"
    printf 'patched=1\nserver=127.0.0.1\nname=Demo\nserver_idx=0\nres_x=800\nres_y=600\n' \
      > "$work/game/client.cfg"
    start_server
    shoot() { sleep 1; import -window root "$shots/$1.png" || fail "no screenshot $1"; }
    rm -f "$work/client.out"
    (cd "$work/game" && exec ./zib < /dev/null) > "$work/client.out" 2>&1 &
    client_pid=$!
    (
      type_after 'intro: title screen' ''; shoot title; send_keys x
      type_after 'intro: menu' ''; shoot menu; send_keys j
      type_after 'intro: login form' ''; send_keys '\ndemo\ndemo'; shoot login
      send_keys '\n\n\n'
      wait_for 'ready\[0\]: Demo' 20 "$work/server.log"; shoot play
    ) &
    keys_pid=$!
    wait_for 'ready\[0\]: Demo' 40 "$work/server.log" || fail "the client did not reach play"
    for i in $(seq 1 60); do [ -s "$shots/play.png" ] && break; sleep 0.2; done
    sleep 0.5
    kill -INT "$client_pid" 2>/dev/null; wait "$client_pid" 2>/dev/null; client_pid=
    grep -q "alert:" "$work/client.out" && fail "an alert was raised"
    for s in title menu login play; do
      [ -s "$shots/$s.png" ] || fail "no $s screenshot"
      colours=$(/usr/bin/convert "$shots/$s.png" -format %k info:)
      [ "$colours" -gt 4 ] || fail "$s screenshot has $colours colours"
    done
    # The message area (800 by 600: 470 wide, from y 505) carries white text.
    white=$(/usr/bin/convert "$shots/play.png" -crop 470x95+0+505 +repage -fill black +opaque white \
      -format '%[fx:int(mean*w*h)]' info:)
    [ "$white" -gt 500 ] || fail "the message area shows $white white pixels"
    # Each screen looks different from the one before it.
    for pair in "title menu" "menu login" "login play"; do
      set -- $pair
      diff=$(/usr/bin/compare -metric AE "$shots/$1.png" "$shots/$2.png" null: 2>&1)
      [ "${diff%% *}" -gt 1000 ] 2>/dev/null || fail "$1 and $2 look alike ($diff)"
    done
    ;;
  missing_art)
    # file removed | expected exit status | expected output | updater started
    # (the updater replaces the client, so its status is the stub's 0)
    while IFS='|' read -r file want msg updater; do
      rm -rf "$work/game/pics"
      "$build/fixture_art_tool" "$work/game/pics" || fail "no fixture art"
      rm -f "$work/game/pics/$file" "$work/game/patch-ran.txt"
      printf '#!/bin/sh\necho patched > patch-ran.txt\nexit 0\n' > "$work/game/patch.sh"
      chmod +x "$work/game/patch.sh"
      run_client "true" 20
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
    ;;
  market)
    # The market demo: a talking guard, identify and uncurse, a purchase, a
    # deposit, an empty container, a recipe, a fight and readying a weapon,
    # all played with the keys a player would use.
    start_server --market
    start_client
    keys_for_market &
    keys_pid=$!
    wait_for "equipment\[0\]" 60 "$work/server.log" || fail "no equipment line"
    grep -q "^equipment\[0\]: 181 0 " "$work/server.log" || fail "the sword is not wielded"
    grep -q "^recv\[0\]: j 181 3 160 40 0 0$" "$work/server.log" || fail "no purchase line"
    grep -q "^recv\[0\]: j 181 1 161 0 1 0$" "$work/server.log" || fail "no deposit line"
    [ "$(grep -c '^recv\[0\]: j 0 0 0 0 0 0$' "$work/server.log")" = 2 ] || fail "trade lists not closed"
    grep -q "^fight\[0\]: goblin attacked" "$work/server.log" || fail "no attack"
    [ "$(grep -c '^recv\[0\]: i$' "$work/server.log")" = 1 ] || fail "identify or uncurse out of step"
    for m in "Guard: The market is open, traveller." "msg: Bye!" "quilted coat identified!" \
             "plain ring uncursed!" "You bought the goods! (x3)" "You banked the goods! (x1)" \
             "This container is empty!" "The kiln is still cold." "Select base ingredient ..." \
             "Attack with short blade: hit Goblin! (6 damage)" "Hit by Goblin! (3 damage)"; do
      grep -qF -- "$m" "$work/client.out" || fail "no message '$m'"
    done
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    ;;
  chat)
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
    ;;
  menu)
    # F12 opens the in-game menu; its volume page lowers the effects volume,
    # ESC goes back and closes it, and the setting is kept in client.cfg.
    echo "volume=200" >> "$work/game/client.cfg"
    start_server
    start_client
    wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
    focus_client || fail "no window"
    xdotool mousemove 700 580
    xdotool key F12; sleep 0.3
    send_keys v; sleep 0.3
    import -window root "$build/e2e-menu-volume.png" 2>/dev/null
    send_keys qq; sleep 0.3
    send_keys '\033'; sleep 0.3
    send_keys '\033'; sleep 0.3
    hold_key Down 0.15
    wait_for "^recv\[0\]: m 5 6 1 5 5 " 5 "$work/server.log" || fail "no step after the menu"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    vol=$(sed -n 's/^volume=//p' "$work/game/client.cfg" | tail -1)
    [ -n "$vol" ] && [ "$vol" -lt 200 ] || fail "volume is '$vol', wanted below 200"
    ;;
  inventory)
    # The inventory key opens the pack as a list in the side panel, the
    # cursor moves down it with its detail box, and ESC gives the sheet back.
    start_server
    start_client
    wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
    focus_client || fail "no window"
    xdotool mousemove 20 580
    sleep 0.5
    shot() { import -window root -crop 230x450+570+0 +repage "$work/$1.png" 2>/dev/null || fail "no picture $1"; }
    shot sheet
    send_keys v
    wait_for "Rearranging inventory" 5 "$work/client.out" || fail "the inventory did not open"
    sleep 0.5; shot list
    xdotool key Down; sleep 0.5; shot moved
    send_keys '\033'; sleep 0.8; shot back
    differ() { local n; n=$(/usr/bin/compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1); echo "${n%% *}"; }
    [ "$(differ sheet list)" -gt 2000 ] || fail "the panel did not change to the list"
    [ "$(differ list moved)" -gt 50 ] || fail "the cursor did not move"
    [ "$(differ sheet back)" -lt 2000 ] || fail "ESC did not give the sheet back"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    ;;
  step_sounds)
    # With ALSA's default device written to a WAV file and the music off, a
    # few steps with the arrow keys are heard: the audio written while the
    # player walks is louder than the audio written while it stood still.
    wav="$work/out.wav"
    printf '%s\n%s\n' \
      'pcm.!default { type plug; slave { pcm "cap"; format S16_LE; rate 44100; channels 2 } }' \
      "pcm.cap { type file; slave.pcm \"null\"; file \"$wav\"; format \"wav\" }" > "$work/asound.conf"
    export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$work/asound.conf"
    printf 'music=0\nvolume=255\nmute=0\n' >> "$work/game/client.cfg"
    start_play
    [ -s "$wav" ] || fail "no audio written to $wav"
    # The loudest 0.1 s stretch (stereo, 16-bit) of the file from byte $2 on.
    loudest() {
      python3 - "$1" "$2" <<'PY'
import array, math, sys
with open(sys.argv[1], "rb") as f:
    f.seek(max(44, int(sys.argv[2])) & ~3)
    raw = f.read()
s = array.array("h", raw[: len(raw) // 2 * 2])
win, best = 8820, 0.0
for i in range(0, max(len(s) - win, 0) + 1, win // 2):
    part = s[i:i + win]
    if part:
        best = max(best, math.sqrt(sum(v * v for v in part) / len(part)))
print(int(best))
PY
    }
    still_end=$(stat -c %s "$wav")
    still=$(loudest "$wav" 44)
    hold_key Down 0.15
    wait_for "move\[0\]: 5 6$" 5 "$work/server.log" || fail "no step south"
    sleep 0.5
    hold_key Right 0.15
    wait_for "move\[0\]: 6 6$" 5 "$work/server.log" || fail "no step east"
    sleep 0.5
    hold_key Left 0.15
    for ((i = 0; i < 100; i++)); do
      [ "$(last_move)" = "5 6" ] && break
      sleep 0.05
    done
    [ "$(last_move)" = "5 6" ] || fail "no step back west"
    sleep 0.5
    walking=$(loudest "$wav" "$still_end")
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    echo "loudest 0.1 s: $still standing, $walking walking"
    [ "$walking" -gt 300 ] || fail "silent while walking (RMS $walking)"
    [ "$walking" -gt $((still * 2)) ] || fail "walking ($walking) not louder than standing ($still)"
    ;;
  screenshot_key)
    # PRTSCR saves the frame as "screenshots/<time>.png" in the game
    # directory: an opaque 24-bit picture of the window's size that looks
    # like the window itself.
    start_play
    read -r ww wh <<<"$(xdotool getwindowgeometry "$focused_window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\)/\1 \2/p')"
    [ -n "$wh" ] || fail "no window geometry"
    import -window root -crop "${ww}x${wh}+0+0" +repage "$work/window.png" 2>/dev/null || fail "no picture of the window"
    xdotool key Print
    wait_for "Screenshot saved to screenshots/" 5 "$work/client.out" || fail "no screenshot message"
    shot=$(ls "$work/game/screenshots"/*.png 2>/dev/null | head -1)
    [ -n "$shot" ] || fail "no file in screenshots/"
    [[ "$(basename "$shot")" =~ ^[0-9]{8}-[0-9]{6}\.png$ ]] || fail "file name $(basename "$shot")"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    # The PNG header: width, height, 8 bits per channel, colour type 2 (RGB, no alpha).
    read -r pw ph bits ctype <<<"$(od -An -tu1 -j16 -N10 "$shot" | \
      awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8, $9, $10}')"
    [ "$pw $ph" = "$ww $wh" ] || fail "screenshot is ${pw}x${ph}, the window ${ww}x${wh}"
    [ "$bits $ctype" = "8 2" ] || fail "screenshot bit depth $bits, colour type $ctype (wanted 8-bit RGB)"
    # The play area (left of the side panel, above the messages).
    colours=$(/usr/bin/convert "$shot" -crop 560x500+0+0 +repage -format %k info:)
    [ "$colours" -gt 16 ] || fail "the play area shows $colours colours"
    # The creature wanders and the frame goes on, so most pixels agree, not all.
    diff=$(/usr/bin/compare -metric AE -fuzz 10% "$shot" "$work/window.png" null: 2>&1)
    diff=${diff%% *}
    echo "colours in the play area: $colours; pixels differing from the window: $diff of $((ww * wh))"
    [ "$diff" -lt $((ww * wh / 20)) ] 2>/dev/null || fail "screenshot and window differ in $diff pixels"
    ;;
  walk)
    # The player walks the sample level: arrow keys and a click on the next
    # cell reach the server as moves, a held key repeats at the step delay.
    start_server
    start_client
    wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
    focus_client || fail "no window"
    # The pointer rests on the side panel, where it moves nothing.
    xdotool mousemove 700 580
    hold_key Down 0.15
    wait_for "move\[0\]: 5 6$" 5 "$work/server.log" || fail "no step south"
    grep -q "^recv\[0\]: m 5 6 1 5 5 [1-9][0-9]*$" "$work/server.log" || fail "move line south"
    sleep 0.5
    hold_key Right 0.15
    wait_for "move\[0\]: 6 6$" 5 "$work/server.log" || fail "no step east"
    grep -q "^recv\[0\]: m 6 6 1 5 6 [1-9][0-9]*$" "$work/server.log" || fail "move line east"
    # Held for 1.5 s, the key steps once per step delay, not once per pass.
    sleep 0.5
    before=$(grep -c "^recv\[0\]: m " "$work/server.log")
    hold_key Left 1.5
    sleep 0.5
    steps=$(( $(grep -c "^recv\[0\]: m " "$work/server.log") - before ))
    [ "$steps" -ge 2 ] && [ "$steps" -le 8 ] || fail "$steps move lines for a 1.5 s hold"
    # A click on the cell north of the player (the play window's centre is
    # at 284,252 in 800x600 with 32-pixel cells) steps there.
    read -r px py <<<"$(last_move)"
    [ -n "$py" ] || fail "no accepted move"
    xdotool mousemove 284 220
    sleep 0.3
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
    xdotool mousemove 700 580
    wait_for "move\[0\]: $px $((py - 1))$" 5 "$work/server.log" || fail "no step from the click"
    grep -q "^recv\[0\]: m $px $((py - 1)) 1 $px $py [1-9][0-9]*$" "$work/server.log" \
      || fail "move line of the click"
    grep -q "refused" "$work/server.log" && fail "the server refused a step the client made"
    kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
    [ "$rc" = 0 ] || fail "exit status $rc"
    ;;
  *)
    fail "unknown case"
    ;;
esac
[ -n "${ZIB_E2E_SHOW:-}" ] && cat "$work/client.out"
echo "PASS ($case_name)"
