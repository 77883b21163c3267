#!/usr/bin/env bash
# Runs a command on a busy machine: three processes per core that only burn processor time run
# beside it (at the lowest priority they still compete with it), and end with it. The command's
# exit status is the script's.
# Usage: scripts/busy.sh <command> [args...]
#   scripts/busy.sh scripts/run.sh               the recording day on a busy machine
#   scripts/busy.sh scripts/soak.sh build 0.2 100
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: $0 <command> [args...]" >&2; exit 2; }

burners=()
for _ in $(seq $((3 * $(nproc)))); do
  (while :; do :; done) &
  burners+=($!)
done
trap 'kill "${burners[@]}" 2>/dev/null' EXIT
echo "busy.sh: ${#burners[@]} busy processes beside: $*" >&2
"$@"
