#!/usr/bin/env bash
# fresh_game.sh SOURCE_DIR BUILD_DIR DEST: a game directory for a test, as the
# build assembles it: the sample data of the source tree with the program,
# put together by the build's own step, and the pictures and sounds the build
# generated. What a player left in BUILD_DIR/game (screenshots, logs, traces,
# client.cfg, minimap caches, files a server pushed, scripts added) stays
# there, so that no test depends on it.
set -euo pipefail
src=$1
build=$2
dest=$3
cmake -DSRC="$src/gamedata" -DDST="$dest" -DPROGRAM="$build/game/zib" \
  -P "$src/tools/gamedir/assemble.cmake"
cp -r "$build/game/pics" "$build/game/sound" "$dest/"
