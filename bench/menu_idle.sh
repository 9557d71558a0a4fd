#!/usr/bin/env bash
# The real client idle in the main menu under a private Xvfb, every sound
# loaded on OpenAL Soft's null output, speech on standard output. Three runs,
# each with a fresh client and a bare 10 ms sleep loop side by side on one
# core for the same time; each prints the client's resident memory, its
# threads and its CPU time against the loop's (main thread and whole
# process), and the last line gives the median ratios of the three.
# Usage: menu_idle.sh BUILD_DIR [SECONDS]
set -eu
build=$(cd "$1" && pwd)
seconds=${2:-20}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

# Nanoseconds on the CPU: of the main thread, and summed over every thread.
cpu_main() { awk '{print $1}' "/proc/$1/schedstat"; }
cpu_all() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s}'; }

# One run: prints its figures and appends "main whole" ratios to $work/ratios.
run() {
    rm -f "$work/out"
    (cd "$work" && ALSOFT_DRIVERS=null SPEECHD_ADDRESS="unix_socket:$work/none.sock" \
        SPEECHD_CMD="$work/none" exec "$build/AshenRefuge" >"$work/out" 2>&1) &
    local client=$!
    pids+=($client)
    xdotool search --sync --name '^AshenRefuge ' windowfocus --sync >/dev/null 2>&1
    for _ in $(seq 100); do grep -q "Menu principal" "$work/out" && break; xdotool key Return; sleep 0.1; done
    grep -q "Menu principal" "$work/out" || { echo "the client never reached the main menu"; cat "$work/out"; exit 1; }
    sleep 2

    # The client's main thread and the loop share one core: the two cores of
    # a machine differ (clock, other work), which moved single runs by 0.3.
    local core
    core=$(( $(nproc) - 1 ))
    taskset -pc "$core" $client >/dev/null
    taskset -c "$core" "$build/sleep_loop" &
    local loop=$!
    pids+=($loop)

    local c0 a0 l0 c1 a1 l1
    c0=$(cpu_main $client); a0=$(cpu_all $client); l0=$(cpu_all $loop)
    sleep "$seconds"
    c1=$(cpu_main $client); a1=$(cpu_all $client); l1=$(cpu_all $loop)

    local rss threads gl
    rss=$(awk '/^VmRSS/ {print $2}' /proc/$client/status)
    threads=$(awk '/^Threads/ {print $2}' /proc/$client/status)
    gl=$(grep -c -E 'libGL|swrast|libLLVM|dri' /proc/$client/maps || true)
    kill $client $loop
    wait $client $loop 2>/dev/null || true
    awk -v rss="$rss" -v th="$threads" -v gl="$gl" -v s="$seconds" -v run="$1" \
        -v cm=$((c1 - c0)) -v ca=$((a1 - a0)) -v l=$((l1 - l0)) -v ratios="$work/ratios" 'BEGIN {
        printf "run %d: resident memory in the main menu: %.1f MiB (%d threads, %d OpenGL mappings)\n", run, rss / 1024, th, gl
        printf "run %d: CPU over %d s: sleep loop %.1f ms, client main thread %.1f ms, client whole process %.1f ms\n", run, s, l / 1e6, cm / 1e6, ca / 1e6
        printf "run %d: idle CPU ratio against the sleep loop: main thread %.2f, whole process %.2f\n", run, cm / l, ca / l
        printf "%f %f\n", cm / l, ca / l >> ratios
    }'
}

for r in 1 2 3; do run $r; done
median() { sort -n | sed -n 2p; }
printf "median of 3 runs: idle CPU ratio against the sleep loop: main thread %.2f, whole process %.2f\n" \
    "$(awk '{print $1}' "$work/ratios" | median)" "$(awk '{print $2}' "$work/ratios" | median)"
