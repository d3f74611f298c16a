#!/usr/bin/env bash
# Fresh machine to a detector on screen: installs the packages, builds the program and the
# detector simulator, starts the simulator on a pseudo-terminal and the window in a fresh
# working folder (run/demo) whose settings file points COM1 at that terminal. The window
# identifies the simulated detector within seconds. Closing the window stops the simulator.
#
# Without a display (no DISPLAY or WAYLAND_DISPLAY) the window runs on a virtual X server for
# a few seconds and a screenshot is left in run/demo/window.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
work=$root/run/demo
. "$root/scripts/lib/window-session.sh"

build_targets VelmoraTuner detector-sim
link=$work/detector
fresh_work_folder "$work" "$link"
: >"$work/VelmoraTuner.log" # an existing log file switches the diagnostic log on

sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

# In automatic regulation a detector sets its thresholds from the factory length table: 100 m
# on the second band is code 23, so the page shows no threshold mismatch.
"$build/tools/detector-sim/detector-sim" --link "$link" --quiet --senspp 23 --sensmp 23 --sensbp 23 </dev/null >"$work/detector-sim.out" &
sim_pid=$!
for _ in $(seq 50); do
    [ -e "$link" ] && break
    sleep 0.1
done
if [ ! -e "$link" ]; then
    echo "demo: the simulator did not start (see $work/detector-sim.out)" >&2
    exit 1
fi
echo "demo: simulated detector on $(head -n1 "$work/detector-sim.out" | cut -d' ' -f2) ($link = COM1)"
echo "demo: working folder $work (settings VelmoraTuner.ini, diagnostic log VelmoraTuner.log)"

cd "$work"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$build/src/app/VelmoraTuner"
else
    echo "demo: no display; running on a virtual X server for 8 s"
    xvfb-run -a -s "-screen 0 1024x600x24" bash -c '
        "$1" & window=$!
        sleep 8
        import -window root "$2"
        kill "$window"' demo "$build/src/app/VelmoraTuner" "$work/window.png"
    echo "demo: screenshot $work/window.png"
fi
