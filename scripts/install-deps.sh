#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12, then makes
# sure the Lua 5.1.5 source tarball sits verified in the cache directory.
# Idempotent and quiet when everything is already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config patch
  liballegro4-dev libloadpng4-dev libpng-dev zlib1g-dev
  libtolua++5.1-dev liblua5.1-0-dev libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick lame twolame mpg123 clang python3
  xz-utils ca-certificates
)

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" apt-get update -qq
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$(dirname "$0")/fetch-lua-source.sh"
