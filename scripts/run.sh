#!/usr/bin/env bash
# Starts the development server and the client logged in to it.
set -euo pipefail
build=${1:-build}
game="$build/game"
if [ ! -x "$game/zib" ]; then
  echo "run: the client program is not built yet ($game/zib); 'make test' runs what exists so far."
  exit 0
fi
exec "$game/zib" -s
