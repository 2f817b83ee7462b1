#!/usr/bin/env bash
# Talks to the built-in simulated board through the real serial adapter on a pseudo-terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/default/bin/kalvex-cli
"$cli" --simulate info
echo "Machine speed W112, good cans D1100, resolver W180, alarm word W98:"
"$cli" --simulate read W112 D1100 W180 W98
