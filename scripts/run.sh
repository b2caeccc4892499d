#!/usr/bin/env bash
# Starts the development server with the market world and the client
# logged in to it ("-s").
# With no DISPLAY the client runs on a private X server (Xvfb) for
# ZIB_RUN_SECONDS, leaves a screenshot in BUILD/run-screenshot.png and is then
# asked to quit; with a DISPLAY it runs until it is closed (or Ctrl-C).
set -uo pipefail
build=$(cd "${1:-build}" && pwd)
game="$build/game"
port=${ZIB_RUN_PORT:-28889}   # 0: any free port
headless_seconds=${ZIB_RUN_SECONDS:-8}
log="$build/devserver.log"

if [ ! -x "$game/zib" ] || [ ! -x "$build/devserver" ]; then
  echo "run: $game/zib or $build/devserver is missing; build first."
  exit 1
fi

# The sample account of the development server, unless the user set one.
cfg="$game/client.cfg"
grep -q '^account=' "$cfg" || echo "account=demo" >> "$cfg"
grep -q '^passwd=' "$cfg" || echo "passwd=demo" >> "$cfg"
grep -q '^name=' "$cfg" || echo "name=Demo" >> "$cfg"
# The login form after a logout shows the sample password only when it is
# saved; a password of the player's own keeps the player's choice.
if grep -qx 'passwd=demo' "$cfg" && ! grep -q '^savepass=' "$cfg"; then
  echo "savepass=1" >> "$cfg"
fi

# The server appends to its log, so each run starts a fresh one: what is
# judged below must come from this run alone (the last one is kept as .old).
mv -f "$log" "$log.old" 2>/dev/null
"$build/devserver" --market --port "$port" --dir "$build/devserver-data" \
  --log "$log" > /dev/null 2>&1 &
server_pid=$!
client_pid=
stop() {
  [ -n "$client_pid" ] && kill -INT "$client_pid" 2>/dev/null
  kill "$server_pid" 2>/dev/null
  wait "$server_pid" 2>/dev/null
}
trap stop EXIT

listening=
for _ in $(seq 50); do
  listening=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$log" 2>/dev/null | head -1)
  [ -n "$listening" ] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$listening" ]; then
  echo "run: the development server did not start (port $port in use?); see $log"
  exit 1
fi
port=$listening
# The client connects to the server just started, and so does every later
# session of this run: the server list it offers after a logout starts with
# this server, chosen. The rows the player wrote stay below it.
list="$game/dat/serverlist.txt"
row_name="Development server"
{
  echo "$row_name:127.0.0.1:$port"
  grep -v "^$row_name:" "$list" 2>/dev/null || :
} > "$list.new"
mv -f "$list.new" "$list"
sed -i '/^server=/d; /^port=/d; /^server_idx=/d' "$cfg"
printf 'server=127.0.0.1\nport=%s\nserver_idx=0\n' "$port" >> "$cfg"
echo "run: development server on 127.0.0.1:$port (log: $log)"

if [ -z "${DISPLAY:-}" ]; then
  # No desktop: the window opens on a private X server, and a picture of it
  # is taken just before the client is asked to quit.
  shot="$build/run-screenshot.png"
  rm -f "$shot"
  echo "run: no DISPLAY: running the client on a private X server for ${headless_seconds}s"
  ZIB_NO_DIALOGS=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    (cd "$1" && exec ./zib -s < /dev/null) &
    pid=$!
    sleep "$2"
    wid=$(xdotool search --name "^zib$" 2>/dev/null | head -1)
    /usr/bin/import -window "${wid:-root}" -define png:exclude-chunks=gAMA,cHRM,sRGB,bKGD \
      "PNG24:$3" 2>/dev/null
    kill -INT "$pid" 2>/dev/null
    wait "$pid"' run "$game" "$headless_seconds" "$shot"
  rc=$?
  if [ -f "$shot" ]; then
    echo "run: screenshot of the last frame: $shot"
  else
    echo "run: no screenshot was taken"
  fi
  client_pid=
  if grep -q "^ready\[[0-9]*\]: " "$log"; then
    echo "run: the client logged in and reached play; it quit with status $rc"
  else
    echo "run: the client did not reach play (status $rc); see its messages above and $game/cl_log.txt"
    exit 1
  fi
else
  (cd "$game" && exec ./zib -s)
  rc=$?
  echo "run: the client ended with status $rc"
fi
