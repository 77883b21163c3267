#!/usr/bin/env bash
# The plug-in's main job, on the synthetic broadcast: an EPG collection. Builds what is missing,
# starts FriioView with the capture plug-in (one viewer per tuner kind) in a private folder,
# lets both plug-ins collect the sample channels on a simulated clock, lists the collected files
# and prints what the timer's EPG load finds in them: the services and their numbers of events.
# Usage: scripts/run.sh [build-dir] [clock rate]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
build=${1:-build}
rate=${2:-20}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target FriioView friio_Quorvantel epg_collection_demo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/orvandel-run-XXXXXX")
"$build/bin/epg_collection_demo" "$work" "$rate"
echo "The viewers, their settings and the collected files are in $work"
