#!/usr/bin/env bash
# Screenshots of the real window under a virtual X server, for the README: before a detector
# answers, after identification on the Range page, and on the alignment page. The simulator
# serves the detector on a pseudo-terminal as in the demo. Writes docs/window-*.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
work=$root/run/screenshots
docs=$root/docs
. "$root/scripts/lib/window-session.sh"

build_targets VelmoraTuner detector-sim
link=$work/detector
fresh_work_folder "$work" "$link"
mkdir -p "$docs"

# The screen is the window's design size, so the window fills it exactly.
xvfb-run -a -s "-screen 0 820x455x24" bash -s "$build" "$work" "$docs" "$link" "$root" <<'SESSION'
set -euo pipefail
build=$1 work=$2 docs=$3 link=$4
. "$5/scripts/lib/window-session.sh"
start_detector_and_window --senspp 23 --sensmp 23 --sensbp 23 --no-stream --seed 7
sleep 3
import -window root "$docs/window-before-connection.png"

echo "stream on" >&3
sleep 5
import -window root "$docs/window-range.png"

id=$(xdotool search --sync --onlyvisible --pid "$window" | head -n1)
xdotool windowfocus --sync "$id"
xdotool key --window "$id" F2
sleep 5
import -window root "$docs/window-alignment.png"

# The developer code (src/app/AccessCodes.h) opens the properties page.
xdotool key --window "$id" F3
sleep 1
xdotool key --window "$id" F10
sleep 1
xdotool type 582 # the modal dialog has the focus
xdotool key Return
sleep 2
import -window root "$docs/window-properties.png"
echo "quit" >&3
SESSION
echo "screenshots: $docs/window-before-connection.png $docs/window-range.png" \
    "$docs/window-alignment.png $docs/window-properties.png"
