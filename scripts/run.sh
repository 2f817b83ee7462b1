#!/usr/bin/env bash
# Sets up, builds and starts KALVEX on the built-in simulated board.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec scripts/demo.sh
