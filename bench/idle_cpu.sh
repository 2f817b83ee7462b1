#!/usr/bin/env bash
# CPU time of kalvex left alone on one page for a while, offline and online on the simulator.
# Usage: bench/idle_cpu.sh [KALVEX] [SECONDS] [PAGE]   (defaults: build/default/bin/kalvex 60 1)
# Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise (e.g. xcb with DISPLAY
# set). The figure is the whole process: the program and, online, its built-in simulator
# answering every byte.
set -euo pipefail
kalvex=${1:-build/default/bin/kalvex}
seconds=${2:-60}
page=${3:-1}
for mode in offline online; do
    args=(--simulate --page "$page")
    [ "$mode" = online ] && args+=(--online)
    out=$(QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} /usr/bin/time -f '%U %S' \
          timeout -s TERM "$seconds" "$kalvex" "${args[@]}" 2>&1 >/dev/null | tail -1 || true)
    read -r user sys <<<"$out"
    awk -v m="$mode" -v p="$page" -v u="$user" -v s="$sys" -v t="$seconds" 'BEGIN {
        printf "page %s %-7s user %6.2f s  system %6.2f s  = %5.1f %% of one core over %d s\n",
               p, m, u, s, 100 * (u + s) / t, t }'
done
