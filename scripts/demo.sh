#!/usr/bin/env bash
# Starts KALVEX on the built-in simulated board (a pseudo-terminal behind the real serial
# adapter). Usage: scripts/demo.sh [--cli] [kalvex options...]
#   --cli   talk to the simulator with kalvex-cli instead (also used when there is no display)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/default/bin

cli_demo() {
    "$bin/kalvex-cli" --simulate info
    echo "Machine speed W112, good cans D1100, resolver W180, alarm word W98:"
    "$bin/kalvex-cli" --simulate read W112 D1100 W180 W98
}

if [ "${1:-}" = "--cli" ]; then
    cli_demo
    exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show the KALVEX window on; running the command-line demo instead."
    echo "(On a headless machine: xvfb-run -a $bin/kalvex --simulate --online --screenshot shot.png)"
    cli_demo
    exit 0
fi
exec "$bin/kalvex" --simulate "$@"
