#!/usr/bin/env bash
# The real client idle in the main menu under a private Xvfb, every sound
# loaded on OpenAL Soft's null output, speech on standard output. Prints its
# resident memory, its threads, and its CPU time against a bare 10 ms sleep
# loop run side by side for the same time (main thread and whole process).
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

(cd "$work" && ALSOFT_DRIVERS=null SPEECHD_ADDRESS="unix_socket:$work/none.sock" \
    SPEECHD_CMD="$work/none" exec "$build/AshenRefuge" >"$work/out" 2>&1) &
client=$!
pids+=($client)
xdotool search --sync --name '^AshenRefuge ' windowfocus --sync >/dev/null 2>&1
for _ in $(seq 100); do grep -q "Menu principal" "$work/out" && break; xdotool key Return; sleep 0.1; done
grep -q "Menu principal" "$work/out" || { echo "the client never reached the main menu"; cat "$work/out"; exit 1; }
sleep 2

"$build/sleep_loop" &
loop=$!
pids+=($loop)

# Nanoseconds on the CPU: of the main thread, and summed over every thread.
cpu_main() { awk '{print $1}' "/proc/$1/schedstat"; }
cpu_all() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s}'; }

c0=$(cpu_main $client); a0=$(cpu_all $client); l0=$(cpu_all $loop)
sleep "$seconds"
c1=$(cpu_main $client); a1=$(cpu_all $client); l1=$(cpu_all $loop)

rss=$(awk '/^VmRSS/ {print $2}' /proc/$client/status)
threads=$(awk '/^Threads/ {print $2}' /proc/$client/status)
gl=$(grep -c -E 'libGL|swrast|libLLVM|dri' /proc/$client/maps || true)
awk -v rss="$rss" -v th="$threads" -v gl="$gl" -v s="$seconds" \
    -v cm=$((c1 - c0)) -v ca=$((a1 - a0)) -v l=$((l1 - l0)) 'BEGIN {
    printf "resident memory in the main menu: %.1f MiB (%d threads, %d OpenGL mappings)\n", rss / 1024, th, gl
    printf "CPU over %d s: sleep loop %.1f ms, client main thread %.1f ms, client whole process %.1f ms\n", s, l / 1e6, cm / 1e6, ca / 1e6
    printf "idle CPU ratio against the sleep loop: main thread %.2f, whole process %.2f\n", cm / l, ca / l
}'
