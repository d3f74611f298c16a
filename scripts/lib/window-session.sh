# Steps shared by the scripts that run the real window against the detector simulator (demo,
# screenshots, CPU measurements). Sourced once `root` and `build` are set.

# Installs what is missing, then configures and builds the named targets.
build_targets() {
    "$root/scripts/setup.sh"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target "$@"
}

# Empties the working folder $1 and writes its settings file: COM1, the remembered port, is the
# device path $2; any further arguments are more lines of the settings file.
fresh_work_folder() {
    local work=$1 device=$2
    shift 2
    rm -rf "$work"
    mkdir -p "$work"
    printf '%s\n' '[Connection]' 'ComPort=1' '[Ports]' "COM1=$device" "$@" >"$work/VelmoraTuner.ini"
}

# Inside an X session: the simulator on $link (its options as arguments, its standard input
# read from what is written to descriptor 3), then the window in $work. Sets `sim` and
# `window`; both are stopped when the session ends.
start_detector_and_window() {
    mkfifo "$work/sim.in"
    "$build/tools/detector-sim/detector-sim" --link "$link" --quiet "$@" \
        <"$work/sim.in" >"$work/detector-sim.out" &
    sim=$!
    exec 3>"$work/sim.in"
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    cd "$work"
    "$build/src/app/VelmoraTuner" &
    window=$!
    trap 'kill $window $sim 2>/dev/null || true' EXIT
}
