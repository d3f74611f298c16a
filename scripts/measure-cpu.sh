#!/usr/bin/env bash
# CPU share of the whole program while the simulated detector saturates the line (1440 frames
# a second at 57600 baud) and the Range page plots at its highest rate: plotting rate 200
# points per second (Filter/Select = 24, the entry "200") and a page of 128 s (Ctrl+Q three
# times), so every Signal message becomes a point and the page holds 2444 of them.
# The window runs on a virtual X server at its design size. Prints the program's CPU time over
# the measuring interval as a share of one core (goal: under 15 %).
#
#   scripts/measure-cpu.sh [SECONDS]     (default 20)
#
# PROGRAM=<path> measures another build of the window instead of build/src/app/VelmoraTuner.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
work=$root/run/measure-cpu
seconds=${1:-20}
program=${PROGRAM:-$build/src/app/VelmoraTuner}
. "$root/scripts/lib/window-session.sh"

build_targets VelmoraTuner detector-sim
link=$work/detector
fresh_work_folder "$work" "$link" '[Filter]' 'Select=24'

xvfb-run -a -s "-screen 0 820x455x24" bash -s "$build" "$work" "$link" "$seconds" "$program" \
    <<'SESSION'
set -euo pipefail
build=$1 work=$2 link=$3 seconds=$4 program=$5

# Utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

"$build/tools/detector-sim/detector-sim" --link "$link" --quiet --saturate \
    </dev/null >"$work/detector-sim.out" &
sim=$!
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done

cd "$work"
"$program" &
window=$!
trap 'kill $window $sim 2>/dev/null || true' EXIT
sleep 5 # identification; the Range page becomes the active page

id=$(xdotool search --sync --onlyvisible --pid "$window" | head -n1)
xdotool windowfocus --sync "$id"
for _ in 1 2 3; do
    xdotool key --window "$id" ctrl+q
    sleep 0.3
done
sleep 3 # the page fills with points before the measuring starts

hz=$(getconf CLK_TCK)
start_window=$(cpu_ticks "$window")
start_sim=$(cpu_ticks "$sim")
start_ns=$(date +%s%N)
sleep "$seconds"
end_window=$(cpu_ticks "$window")
end_sim=$(cpu_ticks "$sim")
end_ns=$(date +%s%N)
import -window root "$work/window.png"

awk -v w=$((end_window - start_window)) -v s=$((end_sim - start_sim)) -v hz="$hz" \
    -v ns=$((end_ns - start_ns)) 'BEGIN {
        elapsed = ns / 1e9
        printf "VelmoraTuner: %.1f %% of one core over %.1f s (goal: under 15 %%)\n",
               100 * w / hz / elapsed, elapsed
        printf "detector-sim: %.1f %% of one core (not counted)\n", 100 * s / hz / elapsed
    }'
SESSION
echo "measure-cpu: the window at the end of the interval: $work/window.png"
