#!/usr/bin/env bash
# CPU share of the program left alone with no detector: the port list is re-read and the port
# re-opened every 1.2 s, the supervision runs, nothing arrives. The window runs on a virtual X
# server in a fresh working folder whose settings file maps COM1 to a device that does not
# exist. Prints the program's CPU time over the interval as a share of one core (goal: under
# 0.5 %).
#
#   scripts/measure-idle-cpu.sh [SECONDS]     (default 30)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
work=$root/run/measure-idle-cpu
seconds=${1:-30}
. "$root/scripts/lib/window-session.sh"

build_targets VelmoraTuner
fresh_work_folder "$work" "$work/no-such-detector"

cd "$work"
xvfb-run -a -s "-screen 0 1024x600x24" bash -c '
    "$1" & pid=$!
    sleep 3 # start-up is not idling
    ticks() { awk "{print \$14 + \$15}" /proc/$pid/stat; }
    start=$(ticks)
    sleep "$2"
    end=$(ticks)
    hz=$(getconf CLK_TCK)
    kill $pid
    awk -v t=$((end - start)) -v hz="$hz" -v s="$2" \
        "BEGIN { printf \"idle CPU over %d s: %.2f %% of one core (goal under 0.5 %%)\\n\", s, 100 * t / hz / s }"
' idle "$build/src/app/VelmoraTuner" "$seconds"
