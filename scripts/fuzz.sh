#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while, several at once.
# Usage: scripts/fuzz.sh [build-dir] [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
build=${1:-build-fuzz}
seconds=${2:-20}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANDEL_FUZZ=ON -DORVANDEL_WERROR=ON >/dev/null
cmake --build "$build"

targets=$(find "$build/bin" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x 2>/dev/null | sort || true)
[ -n "$targets" ] || { echo "no fuzz targets"; exit 0; }
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
run_one() {
  local t=$1 name corpus log
  name=$(basename "$t")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  log="$build/$name.log"
  local seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  if "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    echo "ok   $name ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs)"
  else
    echo "FAIL $name"; tail -n 60 "$log"; return 1
  fi
}
export -f run_one
export build seconds
printf '%s\n' $targets | xargs -P 4 -I{} bash -c 'run_one {}' || status=1
exit $status
