#!/usr/bin/env bash
# Runs every fuzz target built in $1 for $2 seconds each, in parallel.
# Corpora live beside the build; crashes fail the run.
set -euo pipefail
build=$(cd "$1" && pwd); secs=$2
src=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
targets=()
for f in "$build"/fuzz_*; do [ -x "$f" ] && [ -f "$f" ] && targets+=("$f"); done
if [ "${#targets[@]}" -eq 0 ]; then echo "fuzz: no targets"; exit 0; fi
pids=(); names=()
for t in "${targets[@]}"; do
  n=$(basename "$t")
  mkdir -p "$build/corpus/$n" "$build/artifacts/$n"
  seeds=()
  [ -d "$src/tests/fuzz/corpus/$n" ] && seeds=("$src/tests/fuzz/corpus/$n")
  ASAN_OPTIONS=allow_user_segv_handler=0:detect_leaks=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/$n/" "$build/corpus/$n" "${seeds[@]}" \
    >"$build/$n.log" 2>&1 &
  pids+=($!); names+=("$n")
done
fail=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "fuzz: ${names[$i]} ok ($(grep -c '' "$build/${names[$i]}.log") log lines)"
  else
    echo "fuzz: ${names[$i]} FAILED"; tail -n 40 "$build/${names[$i]}.log"; fail=1
  fi
done
exit $fail
