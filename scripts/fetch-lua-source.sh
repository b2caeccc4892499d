#!/usr/bin/env bash
# Fetches the original Lua 5.1.5 tarball and Debian's patch set of the
# lua5.1 source package into a cache directory outside the repository.
# The machine has no deb-src entry, so a private apt configuration with the
# source type switched on is used in a throw-away directory.
set -euo pipefail

CACHE="${ZIB_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/zib}"
ORIG=lua5.1_5.1.5.orig.tar.gz
ORIG_SHA256=2640fc56a795f29d28ef15e13c34a47e223960b0240e8cb0a82d9b0738695333

have_all() {
  [ -f "$CACHE/$ORIG" ] || return 1
  echo "$ORIG_SHA256  $CACHE/$ORIG" | sha256sum -c --status - || return 1
  ls "$CACHE"/lua5.1_5.1.5-*.debian.tar.xz >/dev/null 2>&1
}

have_all && exit 0

mkdir -p "$CACHE"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

src=/etc/apt/sources.list.d/debian.sources
if [ ! -f "$src" ]; then
  echo "fetch-lua-source: $src not found; cannot locate Debian's source packages" >&2
  exit 1
fi
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/dl"
sed -E 's/^Types:.*/Types: deb-src/' "$src" > "$work/sources.sources"
opts=(
  -o "Dir::Etc::SourceList=/dev/null"
  -o "Dir::Etc::SourceParts=$work"
  -o "Dir::State::Lists=$work/lists"
  -o "Dir::Cache=$work/cache"
  -o "APT::Sandbox::User=root"
)
# apt only reads *.sources from SourceParts; keep nothing else there.
apt-get "${opts[@]}" -qq update >/dev/null
(cd "$work/dl" && apt-get "${opts[@]}" -qq source --download-only lua5.1 >/dev/null)

if ! echo "$ORIG_SHA256  $work/dl/$ORIG" | sha256sum -c --status -; then
  echo "fetch-lua-source: $ORIG does not have the expected sha256" >&2
  exit 1
fi
cp "$work/dl/$ORIG" "$CACHE/"
cp "$work/dl"/lua5.1_5.1.5-*.debian.tar.xz "$CACHE/"
echo "fetch-lua-source: Lua 5.1.5 source cached in $CACHE"
