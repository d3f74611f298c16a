#!/usr/bin/env bash
# Screenshots of the signal displays in the real window under a virtual X server, against the
# detector simulator: the Range page with threshold excesses (a noisy signal crossing ПП and
# МП), the Range page through a simulated alarm (signal shown during the alarm), and the
# alignment page. Writes docs/oscillogram-excess.png, docs/oscillogram-alarm.png and
# docs/alignment-chart.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
work=$root/run/screenshots-oscillogram
docs=$root/docs
. "$root/scripts/lib/window-session.sh"

build_targets VelmoraTuner detector-sim
link=$work/detector
fresh_work_folder "$work" "$link" '[Display]' 'SignalDuringAlarm=1'
mkdir -p "$docs"

# The screen is the window's design size, so the window fills it exactly.
xvfb-run -a -s "-screen 0 820x455x24" bash -s "$build" "$work" "$docs" "$link" "$root" <<'SESSION'
set -euo pipefail
build=$1 work=$2 docs=$3 link=$4
. "$5/scripts/lib/window-session.sh"
start_detector_and_window --signal-noise 22 --seed 5 --senspp 23 --sensmp 23 --sensbp 23
sleep 16 # identified within seconds; then most of a page of noisy signal
import -window root "$docs/oscillogram-excess.png"

echo "alarm on" >&3
sleep 4
import -window root "$docs/oscillogram-alarm.png"
echo "alarm off" >&3
sleep 1

id=$(xdotool search --sync --onlyvisible --pid "$window" | head -n1)
xdotool windowfocus --sync "$id"
xdotool key --window "$id" F2
sleep 5
import -window root "$docs/alignment-chart.png"
echo "quit" >&3
SESSION
echo "screenshots: $docs/oscillogram-excess.png $docs/oscillogram-alarm.png $docs/alignment-chart.png"
