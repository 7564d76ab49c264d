#!/bin/sh
# Starts Korvane's window on the simulated lab; without a display, says so and runs the
# command line's headless demo instead.
set -e
build=${1:-build}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/src/app/korvane" ]; then
  exec "$build/src/app/korvane"
fi
echo "No display found: running the headless demo (korvane-cli demo) instead of the window."
echo
exec "$build/src/app/korvane-cli" demo
