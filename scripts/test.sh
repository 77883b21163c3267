#!/usr/bin/env bash
# Builds everything and runs every test: each test on its own (ctest), then each test program
# whole in one process, so that no test passes only alone or only after another.
# Usage: scripts/test.sh [build-dir] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# The programs run side by side: each has its own private runtime folder and namespace.
declare -A running=()
for program in "$build"/bin/*_tests; do
  log="$build/$(basename "$program")-whole.log"
  "$program" >"$log" 2>&1 &
  running[$!]="$program"
done
passed=0
failed=0
for pid in "${!running[@]}"; do
  program=${running[$pid]}
  if wait "$pid"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "== $(basename "$program") failed when run whole:" >&2
    grep -E '^\[  FAILED  \]|Failure|changed the environment| left ' \
      "$build/$(basename "$program")-whole.log" >&2 || tail -n 40 "$build/$(basename "$program")-whole.log" >&2
  fi
done
echo "whole: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
