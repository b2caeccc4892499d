# End-to-end case "startup_interrupt", sourced by run_e2e.sh with the helpers of lib.sh.
# The signals that quit: Ctrl+C's SIGINT, and SIGTERM and SIGHUP (a logout,
# a service manager, a closed terminal), while the client starts and while
# it plays. Before the client's handler is in place a signal simply ends it
# (status 128 + the signal); from then on the handler takes it and the
# client quits in order where quitting is possible. A SIGINT that comes while
# it is not (start-up, the handshake) is dropped; a SIGTERM or SIGHUP is kept
# until it is. The graphics library must never see a signal: no "Shutting
# down Allegro" line, no abort, no crash.
# timeout: 1200

# Each moment is held until the signal has been sent: the client waits in a
# library call (hold_at.c, preloaded) or on a silent game server in the
# handshake.
listener_pid=
feeder_pid=
# The case's status must reach cleanup, which ends with it.
end_case() {
  local rc=$?
  release
  put_back
  return "$rc"
}
trap 'end_case; cleanup' EXIT

# A loopback listener on a free port that takes one connection and never
# answers (it lasts until release ends it); it sets listener_port, and
# "accepted" shows in $work/listener once the client has connected.
listen_silently() {
  rm -f "$work/listener"
  perl -MIO::Socket::INET -e '
    my $s = IO::Socket::INET->new(LocalAddr => "127.0.0.1", LocalPort => 0, Listen => 1)
      or exit 1;
    open(my $f, ">", $ARGV[0]) or exit 1;
    $f->autoflush(1);
    print $f "port ", $s->sockport, "\n";
    my $c = $s->accept or exit 1;
    print $f "accepted\n";
    sleep;' "$work/listener" &
  listener_pid=$!
  wait_for "^port " "$work/listener" || fail "no listener"
  listener_port=$(sed -n 's/^port //p' "$work/listener")
}

# Starts the client (with the arguments after $1) held at its first call of
# the library function $1; "opened" shows once it is there.
held_at() {
  local call=$1
  shift
  rm -f "$work/hold" "$work/opened" "$work/go"
  mkfifo "$work/hold"
  bash -c 'exec 3> "$1" || exit; : > "$2"
    until [ -e "$3" ]; do sleep 0.01; done' _ "$work/hold" "$work/opened" "$work/go" &
  feeder_pid=$!
  ZIB_HOLD_AT=$call ZIB_HOLD_PIPE=$work/hold LD_PRELOAD=$build/libzib_hold_at.so launch "$@"
  eventually test -e "$work/opened"
}

# Lets the held client go on: the listener closes, the call returns.
release() {
  if [ -n "$listener_pid" ]; then kill "$listener_pid" 2> /dev/null; wait "$listener_pid" 2> /dev/null; fi
  listener_pid=
  [ -n "$feeder_pid" ] && : > "$work/go"
}

put_back() {
  if [ -n "$feeder_pid" ]; then kill "$feeder_pid" 2> /dev/null; wait "$feeder_pid" 2> /dev/null; fi
  feeder_pid=
  rm -f "$work/hold"
}

use_port() {
  sed -i "s/^port=.*//" "$work/game/client.cfg"
  echo "port=$1" >> "$work/game/client.cfg"
}

# The client with the arguments given.
launch() {
  rm -f "$work/client.out"
  (cd "$work/game" && exec ./zib "$@" < /dev/null) > "$work/client.out" 2>&1 &
  client_pid=$!
}

# Waits for the client to end; sets client_rc.
client_ended() {
  eventually client_gone || return 1
  wait "$client_pid" 2> /dev/null
  client_rc=$?
  client_pid=
}

shown() { grep -q -- "$1" "$work/client.out" 2>/dev/null; }
# A dropped SIGINT is logged at the next point where quitting is possible.
dropped_or_ended() { shown "Signal 2 trapped - ignored" || ! kill -0 "$client_pid" 2> /dev/null; }

# The moments. Each starts the client and returns once it is there; the
# client stays there until release.
in_library_start() { held_at XOpenDisplay; }
before_the_handler() { held_at install_timer; }
# With the handler in and quitting still off; a direct login to a closed port
# shows whether a kept signal quits before the client connects.
before_quitting_is_on() {
  use_port 1
  held_at install_sound -s
}
in_handshake() {
  listen_silently
  use_port "$listener_port"
  launch -s
  wait_for accepted "$work/listener"
}
on_intro_screen() {
  launch
  wait_for "intro: " "$work/client.out"
}

# Sends each of SIGINT, SIGTERM and SIGHUP at moment $2 (named $1) and checks
# how the client ends: $3, $4 and $5 are the statuses wanted for the three.
# "N" is an end by itself with status N; "+N" is a SIGINT dropped (quitting
# was off) and a second one at the next quit point ending the client with N.
interrupt_when() {
  local moment=$1 hold=$2 sig want num
  local -A wants=([INT]=$3 [TERM]=$4 [HUP]=$5)
  for sig in INT TERM HUP; do
    want=${wants[$sig]}
    num=$(kill -l "$sig")
    "$hold" || fail "$moment: the client never got there"
    kill -"$sig" "$client_pid"
    release
    if [ "${want:0:1}" = + ]; then
      eventually dropped_or_ended || fail "$moment: no quit point after SIG$sig"
      kill -0 "$client_pid" 2> /dev/null || fail "$moment: a SIGINT while quitting was off quit"
      kill -INT "$client_pid"
      want=${want:1}
    fi
    # A kept signal ends the client at the next quit point by itself.
    client_ended || fail "$moment: client still running after SIG$sig"
    put_back
    shown "Shutting down Allegro" && fail "$moment: the graphics library took SIG$sig"
    [ "$client_rc" = "$want" ] || fail "$moment: SIG$sig: exit status $client_rc, wanted $want"
    if [ "$want" -lt 128 ]; then
      shown "Signal $num trapped - exiting." || fail "$moment: SIG$sig quit without its log line"
    fi
    echo "$moment: SIG$sig: status $client_rc"
  done
}

interrupt_when "inside the library's start" in_library_start 130 143 129
interrupt_when "starting the display" before_the_handler 130 143 129
interrupt_when "before quitting is on" before_quitting_is_on +1 0 0
interrupt_when "in the handshake" in_handshake +1 1 1
interrupt_when "on the intro screen" on_intro_screen 0 0 0

# In play the session ends in order: "q" reaches the server, the settings
# and the minimap cache are saved, the status is 0.
for sig in TERM HUP; do
  rm -f "$work/server.log"
  start_play
  rm -f "$work/game/client.cfg" "$work/game"/cmaps/Demo.*.mm
  kill -"$sig" "$client_pid"
  client_ended || fail "in play: client still running after SIG$sig"
  [ "$client_rc" = 0 ] || fail "in play: SIG$sig: exit status $client_rc, wanted 0"
  logged '^recv\[0\]: q$'
  grep -q '^account=demo$' "$work/game/client.cfg" || fail "in play: SIG$sig: client.cfg not saved"
  ls "$work/game"/cmaps/Demo.*.mm > /dev/null 2>&1 || fail "in play: SIG$sig: no minimap cache"
  echo "in play: SIG$sig: status 0, q sent"
done

# The game-over screen draws while it waits: the signal must not abort it.
rm -f "$work/server.log"
printf 'wait 300\nsend Q\n' > "$work/scenario.txt"
start_server --scenario "$work/scenario.txt"
start_client
wait_for "Game over! Press q" "$work/client.out" || fail "game over: no prompt"
kill -TERM "$client_pid"
client_ended || fail "game over: client still running after SIGTERM"
shown "Shutting down Allegro" && fail "game over: the graphics library took SIGTERM"
[ "$client_rc" = 0 ] || fail "game over: exit status $client_rc, wanted 0"
logged '^recv\[0\]: q$'
echo "game over: SIGTERM: status 0"
