#!/usr/bin/env bash
# Static checks of src/ and tools/: cppcheck, then clang-tidy 14 with the checks of .clang-tidy
# over the compile commands of a build directory (build/ or $BUILD_DIR), which is built first
# for the generated headers. Prints the findings and always exits 0: it is a report to read,
# not a gate, and .ci/run does not call it.
#
#   scripts/lint.sh [cppcheck|clang-tidy]     (both without an argument)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc)
only=${1:-}

run_cppcheck() {
    echo "== cppcheck"
    # useStlAlgorithm is left out: a plain loop reads as well as the algorithm it names.
    cppcheck --enable=warning,style,performance --std=c++20 --library=qt \
        -I "$root/src" -I "$root/tools/detector-sim" \
        --suppress=missingIncludeSystem --suppress=useStlAlgorithm --inline-suppr \
        --quiet -j "$jobs" "$root/src" "$root/tools" 2>&1
}

run_clang_tidy() {
    echo "== clang-tidy"
    if ! "$root/scripts/build.sh" >/dev/null; then
        echo "lint: the build in $build failed; clang-tidy skipped"
        return
    fi
    # The sources of src/ and tools/ that this build compiles (a core-only build has no window).
    python3 - "$build/compile_commands.json" "$root" <<'PY' |
import json, re, sys
wanted = re.compile(re.escape(sys.argv[2]) + r"/(src|tools)/.*\.cpp$")
for entry in json.load(open(sys.argv[1])):
    if wanted.match(entry["file"]):
        print(entry["file"])
PY
        sort -u |
        xargs -r -P "$jobs" -I{} sh -c 'out=$(clang-tidy-14 -p "$1" --quiet \
            --header-filter="^$2/(src|tools)/" "$3" 2>&1); printf "%s\n" "$out"' \
            lint "$build" "$root" {} |
        grep -v -e '^[0-9]* warnings\? generated\.$' -e '^$'
}

case $only in
cppcheck) run_cppcheck ;;
clang-tidy) run_clang_tidy ;;
*)
    run_cppcheck
    run_clang_tidy
    ;;
esac
exit 0
