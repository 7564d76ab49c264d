#!/bin/sh
# Starts Korvane. Until the window exists this shows the command-line front end:
# its help and the processor clock calibration.
set -e
build=${1:-build}
cli="$build/src/app/korvane-cli"
if [ -x "$build/src/app/korvane" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/src/app/korvane"
fi
if [ -x "$build/src/app/korvane" ]; then
  echo "No display found: running the headless demo instead of the window."
fi
"$cli" --help
echo
"$cli" clock
