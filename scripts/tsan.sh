#!/usr/bin/env bash
# Builds the test programs of the threaded folders with ThreadSanitizer and runs them; any race
# reported by a test program or by a process it starts (the viewer, helpers) fails the run.
# Usage: scripts/tsan.sh [build-dir] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
build=${1:-build-tsan}
shift || true
folders=(platform shared timer_core timer_ui capture_plugin viewer ui)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANDEL_TSAN=ON \
  -DORVANDEL_BENCH=OFF "$@" >/dev/null
cmake --build "$build" --target "${folders[@]/%/_tests}"

reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="suppressions=$PWD/scripts/tsan_suppressions.txt log_path=$reports/race second_deadlock_stack=1"
status=0
for folder in "${folders[@]}"; do
  ctest --test-dir "$build/tests/$folder" --output-on-failure -j "$(nproc)" -E EndToEnd || status=1
done
# The end-to-end tests run viewer processes against a broadcast paced in real time; slowed down
# by ThreadSanitizer and crowded by every other test they fall behind the stream, so they run
# after the others, two at a time.
for folder in "${folders[@]}"; do
  ctest --test-dir "$build/tests/$folder" -N -R EndToEnd | grep -q 'Test *#' || continue
  ctest --test-dir "$build/tests/$folder" --output-on-failure -j 2 -R EndToEnd || status=1
done
if compgen -G "$reports/race.*" >/dev/null; then
  cat "$reports"/race.*
  echo "ThreadSanitizer: $(cat "$reports"/race.* | grep -c '^WARNING: ThreadSanitizer') report(s)"
  status=1
fi
exit $status
