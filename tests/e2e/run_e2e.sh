#!/usr/bin/env bash
# One end-to-end case: run_e2e.sh CASE BUILD_DIR, the case being
# cases/CASE.sh. The client runs from a copy of the game directory in a
# window of the private X server; keys are typed into that window with
# xdotool, and it logs each intro screen it enters ("intro: menu"); the
# server's log tells what it received.
set -uo pipefail
case_name=$1
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
[ -f "$here/cases/$case_name.sh" ] || { echo "FAIL ($case_name): unknown case"; exit 1; }
# shellcheck source=lib.sh
source "$here/lib.sh"
# shellcheck disable=SC1090
source "$here/cases/$case_name.sh"
[ -n "${ZIB_E2E_SHOW:-}" ] && cat "$work/client.out"
echo "PASS ($case_name)"
