#!/usr/bin/env bash
# The soak run of the whole system (tools/soak_run.h): Orvandel with the FriioView stand-in and
# the capture plug-in on two tuners (terrestrial, BS/CS), left running for days on a fast
# simulated clock with a daily EPG acquisition and 40 automatic reservations a day. Prints a line
# per day and every problem as it is seen, then the recordings due, made and missed per day,
# Orvandel's memory and threads, and what was left running; exits non-zero when a recording due
# was not made, a start was missed, a process of the world was left or the memory grew beyond
# its bound. A week at the default rate takes about 100 minutes, a little more on a busy machine:
# the clock stands still while a program of the world starts or ends.
# Usage: scripts/soak.sh [build-dir] [days] [clock rate]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
build=${1:-build}
days=${2:-7}
rate=${3:-100}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target Orvandel FriioView friio_Quorvantel soak
work=$(mktemp -d "${TMPDIR:-/tmp}/orvandel-soak-XXXXXX")
"$build/bin/soak" "$work" "$days" "$rate"
