#!/usr/bin/env bash
# Counts the non-blank lines of every tracked file under tests/ against those under src/ and
# sim/ (images, board data and program files left out) and prints both and their ratio.
# Usage: scripts/test-ratio.sh [--check] [MAX]   (MAX defaults to 0.35)
# With --check it exits 1 when the ratio is above MAX.
set -euo pipefail
cd "$(dirname "$0")/.."
check=false
if [ "${1:-}" = "--check" ]; then check=true; shift; fi
max=${1:-0.35}
data='\.(png|svg|sdt|ovp|hex|rev|lcf|bin|pdf)$'
count() {
    git ls-files -z -- "$@" | grep -zEiv "$data" | xargs -0 -r cat -- | grep -c '[^[:space:]]' || true
}
tests=$(count tests)
code=$(count src sim)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", c ? t / c : 0 }')
echo "tests: $tests lines; code (src, sim): $code lines; ratio: $ratio (maximum $max)"
if $check && awk -v r="$ratio" -v m="$max" 'BEGIN { exit !(r > m) }'; then
    echo "test-ratio: $ratio is above $max" >&2
    exit 1
fi
