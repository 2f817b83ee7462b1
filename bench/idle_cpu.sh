#!/usr/bin/env bash
# CPU time of kalvex left alone on a page, split into the program's own share and the
# simulator's: offline, and online at 9600 baud, 19200 baud and unpaced, on the built-in
# simulator (a thread of the same process, told apart by its thread) and on an external one
# (`kalvex-cli sim` on a pseudo-terminal, a process of its own).
#
# Usage: bench/idle_cpu.sh [-b BIN] [-s SECONDS] [-w WARMUP] [-r REPEATS] [-p "PAGES"]
#                          [-m "MODES"] [-l "LINKS"]
#   BIN      folder holding kalvex and kalvex-cli (default build/default/bin)
#   SECONDS  measured time per run, after WARMUP seconds of start-up (defaults 20 and 3)
#   REPEATS  runs per row; each figure is the median (default 1)
#   PAGES    Window menu pages (default "1 2 3 5 6")
#   MODES    any of offline 9600 19200 unpaced (default all four)
#   LINKS    builtin and/or pty (default both; offline runs only on builtin)
#
# Figures are user + system time from /proc (per thread for the built-in simulator) over the
# measured time, in % of one core. Runs on the offscreen platform unless QT_QPA_PLATFORM says
# otherwise.
set -euo pipefail
bin=build/default/bin seconds=20 warmup=3 repeats=1
pages="1 2 3 5 6" modes="offline 9600 19200 unpaced" links="builtin pty"
while getopts b:s:w:r:p:m:l: opt; do
    case $opt in
    b) bin=$OPTARG ;; s) seconds=$OPTARG ;; w) warmup=$OPTARG ;; r) repeats=$OPTARG ;;
    p) pages=$OPTARG ;; m) modes=$OPTARG ;; l) links=$OPTARG ;;
    *) sed -n '2,16p' "$0" >&2; exit 1 ;;
    esac
done
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
tick=$(getconf CLK_TCK)

# "program simulator" clock ticks of process $1 so far. In-process, the simulator is the
# thread named kalvex-sim (or, in builds that do not name it, the other thread called kalvex);
# every other thread is the program's. $2 = whole: all threads are the program's.
ticks() {
    local pid=$1 whole=${2:-} prog=0 simt=0 t line comm rest
    for t in /proc/"$pid"/task/*; do
        line=$(cat "$t/stat" 2>/dev/null) || continue
        comm=${line#*(}; comm=${comm%%)*}
        rest=${line##*) }
        read -r -a f <<<"$rest"
        # f[11], f[12]: utime, stime (fields 14 and 15 of stat)
        local n=$((f[11] + f[12]))
        if [ -z "$whole" ] && [ "${t##*/}" != "$pid" ] &&
            { [ "$comm" = kalvex-sim ] || [ "$comm" = kalvex ]; }; then
            simt=$((simt + n))
        else
            prog=$((prog + n))
        fi
    done
    echo "$prog $simt"
}

now() { date +%s.%N; }

# One run: prints "program% simulator%".
run_once() {
    local page=$1 mode=$2 link=$3 simpid= pid sim_path a b t0 t1 sa sb
    local args=(--page "$page")
    [ "$mode" = offline ] || args+=(--online)
    if [ "$link" = builtin ]; then
        args+=(--simulate)
        case $mode in 9600 | 19200) args+=(--baud "$mode") ;; esac
    else
        local simargs=(sim)
        case $mode in 9600 | 19200) simargs+=(--baud "$mode") ;; esac
        coproc SIM { exec "$bin/kalvex-cli" "${simargs[@]}"; }
        simpid=$SIM_PID
        read -r sim_path <&"${SIM[0]}"
        args+=(--device "$sim_path")
    fi
    "$bin/kalvex" "${args[@]}" >/dev/null 2>&1 &
    pid=$!
    sleep "$warmup"
    t0=$(now); a=$(ticks "$pid"); [ -n "$simpid" ] && sa=$(ticks "$simpid" whole)
    sleep "$seconds"
    t1=$(now); b=$(ticks "$pid"); [ -n "$simpid" ] && sb=$(ticks "$simpid" whole)
    kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
    if [ -n "$simpid" ]; then kill -TERM "$simpid"; wait "$simpid" 2>/dev/null || true; fi
    read -r ap as <<<"$a"; read -r bp bs <<<"$b"
    if [ -n "$simpid" ]; then read -r as _ <<<"$sa"; read -r bs _ <<<"$sb"; fi
    awk -v d="$((bp - ap)) $((bs - as))" -v t0="$t0" -v t1="$t1" -v k="$tick" 'BEGIN {
        split(d, x, " "); w = t1 - t0
        printf "%.2f %.2f\n", 100 * x[1] / k / w, 100 * x[2] / k / w }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf "%-4s %-8s %-8s %9s %9s %9s   (%% of one core, median of %d x %d s)\n" \
    page mode sim program simulator whole "$repeats" "$seconds"
for page in $pages; do
    for mode in $modes; do
        for link in $links; do
            [ "$mode" = offline ] && [ "$link" = pty ] && continue
            runs=()
            for ((i = 0; i < repeats; ++i)); do runs+=("$(run_once "$page" "$mode" "$link")"); done
            p=$(printf '%s\n' "${runs[@]}" | awk '{ print $1 }' | median)
            s=$(printf '%s\n' "${runs[@]}" | awk '{ print $2 }' | median)
            w=$(printf '%s\n' "${runs[@]}" | awk '{ print $1 + $2 }' | median)
            printf "%-4s %-8s %-8s %9.2f %9.2f %9.2f\n" "$page" "$mode" "$link" "$p" "$s" "$w"
        done
    done
done
