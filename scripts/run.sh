#!/usr/bin/env bash
# The system's main job on the synthetic broadcast: a recording day (tools/recording_day_plan.h).
# Builds what is missing, then runs Orvandel as a user does, with the FriioView stand-in and the
# capture plug-in, in a private folder on a simulated clock: the timed EPG acquisition, automatic
# reservations, a reservation from an iEPG file opened with a second Orvandel and one added by
# hand to Program.txt, and the evening's recordings. Prints the day as it happens and then the
# reservations with their results, the recordings with the broadcast time each holds and what went
# wrong, and names the folder it leaves.
# Usage: scripts/run.sh [build-dir] [clock rate]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
build=${1:-build}
rate=${2:-20}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target Orvandel FriioView friio_Quorvantel recording_day
work=$(mktemp -d "${TMPDIR:-/tmp}/orvandel-day-XXXXXX")
"$build/bin/recording_day" "$work" "$rate"
