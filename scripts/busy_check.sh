#!/usr/bin/env bash
# The whole system on a busy machine: beside three busy processes per core (scripts/busy.sh), the
# recording day three times, the soak run CI makes (five hours of the clock at 100 times real
# time) and every end-to-end test program. Prints one line per run and exits non-zero when any
# failed. Takes about ten minutes once built; not part of CI.
# Usage: scripts/busy_check.sh [build-dir]
set -uo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" || exit 1
export QT_QPA_PLATFORM=offscreen

runs() {
  local failed=0
  run() {
    local name=$1
    shift
    local log
    log=$(mktemp "${TMPDIR:-/tmp}/orvandel-busy-XXXXXX.log")
    local start=$SECONDS
    if "$@" >"$log" 2>&1; then
      echo "passed  $name ($((SECONDS - start)) s, load $(cut -d' ' -f1 /proc/loadavg))"
    else
      echo "FAILED  $name ($((SECONDS - start)) s, load $(cut -d' ' -f1 /proc/loadavg)); its output: $log"
      failed=1
    fi
  }
  for day in 1 2 3; do
    local folder
    folder=$(mktemp -d "${TMPDIR:-/tmp}/orvandel-day-XXXXXX")
    run "recording day $day in $folder" "$build/bin/recording_day" "$folder" 20
  done
  local soak
  soak=$(mktemp -d "${TMPDIR:-/tmp}/orvandel-soak-XXXXXX")
  run "soak run, five hours of the clock, in $soak" "$build/bin/soak" "$soak" 0.2 100
  run "end-to-end tests of the plug-in" "$build/bin/capture_plugin_tests" --gtest_filter='EndToEnd*'
  run "end-to-end tests of the timer core" "$build/bin/timer_core_tests" --gtest_filter='EndToEnd*'
  run "tests of the whole system" "$build/bin/tools_tests"
  return $failed
}
export -f runs
export build
scripts/busy.sh bash -c runs
