# End-to-end case "startup_interrupt", sourced by run_e2e.sh with the helpers of lib.sh.
# Ctrl+C while the client starts: before its own handler is in place the
# signal simply ends it (status 130); from then on the handler takes it,
# and the client quits in order once quitting is allowed (the intro
# screens). The graphics library must never see the signal: no
# "Shutting down Allegro" line, no abort, no crash.
# timeout: 240
# The trace marks the moments inside the display's start.
printf 'trace=1\ntrace_password=wevu\n' >> "$work/game/client.cfg"

# The client without "-s": the intro screens need no server.
launch() {
  rm -f "$work/client.out" "$work/game/trace/zib.txt"
  (cd "$work/game" && exec ./zib < /dev/null) > "$work/client.out" 2>&1 &
  client_pid=$!
}

# Waits (at most $1 seconds) for the client to end; sets client_rc.
client_ended() {
  local i
  for ((i = 0; i < $1 * 20; i++)); do
    if ! kill -0 "$client_pid" 2>/dev/null; then
      wait "$client_pid"
      client_rc=$?
      client_pid=
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# Sends SIGINT once the command $2... succeeds (polled every 10 ms, at most
# 30 s) and checks how the client ends; $1 names the moment.
interrupt_when() {
  local moment=$1 i
  shift
  launch
  for ((i = 0; i < 3000; i++)); do
    "$@" && break
    kill -0 "$client_pid" 2>/dev/null || break
    sleep 0.01
  done
  kill -INT "$client_pid" 2>/dev/null
  if ! client_ended 5; then
    # Trapped while quitting was not possible yet: it goes on to the intro
    # screens, where a second Ctrl+C ends it.
    wait_for "intro: " 30 "$work/client.out" || fail "$moment: no intro screen after the ignored signal"
    kill -INT "$client_pid" 2>/dev/null
    client_ended 20 || fail "$moment: client still running after a Ctrl+C on the intro screen"
  fi
  grep -q "Shutting down Allegro" "$work/client.out" && fail "$moment: the graphics library took the signal"
  case $client_rc in
    130) ;;
    0) grep -q "Signal 2 trapped - exiting." "$work/client.out" ||
         fail "$moment: status 0 without the trapped signal's line" ;;
    *) fail "$moment: exit status $client_rc, wanted 130 or 0" ;;
  esac
  echo "$moment: status $client_rc"
}

traced() { grep -q -- "$1" "$work/game/trace/zib.txt" 2>/dev/null; }
shown() { grep -q -- "$1" "$work/client.out" 2>/dev/null; }
after() { sleep "$1"; }

# Fixed moments after the start, which land wherever the machine's load puts
# them, and moments keyed to the start-up's own steps.
for delay in 0.05 0.2 0.5 1; do interrupt_when "after ${delay}s" after "$delay"; done
interrupt_when "starting the graphics library" traced "allegro init"
interrupt_when "graphics library running" traced "installing timer"
interrupt_when "handler installed" traced "Allegro version"
interrupt_when "intro screen" shown "intro: "
