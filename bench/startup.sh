#!/usr/bin/env bash
# How long each front end takes to start on this computer's own drives: korvane-cli until its
# device list is printed, korvane until its window has been shown and drawn once. The clock
# calibration's 500 ms is inside both. Prints the median of several runs; asserts nothing.
set -eu
BUILD=${1:-build}
RUNS=${RUNS:-5}
CLI="$BUILD/src/app/korvane-cli"
GUI="$BUILD/src/app/korvane"
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds() { # command... -> wall seconds
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  t1=$(date +%s%N)
  echo "scale=3; ($t1 - $t0) / 1000000000" | bc
}

cli=$(for ((i = 0; i < RUNS; i++)); do seconds "$CLI" --quiet --ini "$DIR/krv40.ini" --logs "$DIR" --host devices; done | median)
echo "startup   korvane-cli --host devices: ${cli} s (median of $RUNS; budget 0.8 s)"
if [ -x "$GUI" ]; then
  gui=$(for ((i = 0; i < RUNS; i++)); do
    QT_QPA_PLATFORM=offscreen seconds "$GUI" --host --ini "$DIR/krv40.ini" --exit-after-start
  done | median)
  echo "startup   korvane --host, window usable: ${gui} s (median of $RUNS; budget 0.8 s)"
else
  echo "startup   korvane: not built (no window toolkit), skipped"
fi
