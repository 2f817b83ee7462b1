#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed budget (seconds, default 30).
# Usage: scripts/fuzz.sh [SECONDS]. Does nothing, and says so, where clang is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
budget=${1:-30}
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is not installed; skipping the fuzz targets"
    exit 0
fi
cmake --preset fuzz >/dev/null
targets=(kalvex_fuzz_setupfile)
cmake --build --preset fuzz --target "${targets[@]}"
mkdir -p build/fuzz/corpus
for t in "${targets[@]}"; do
    mkdir -p "build/fuzz/corpus/$t"
    echo "fuzz: $t for ${budget}s"
    log="build/fuzz/$t.log"
    if ! "build/fuzz/bin/$t" -max_total_time="$budget" -print_final_stats=1 \
            -artifact_prefix="build/fuzz/" "build/fuzz/corpus/$t" >"$log" 2>&1; then
        tail -30 "$log" >&2
        echo "fuzz: $t found a failing input (build/fuzz/crash-*)" >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units' "$log" || true
done
