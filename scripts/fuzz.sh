#!/usr/bin/env bash
# Builds a libFuzzer target with clang, AddressSanitizer and UBSan into build-fuzz/ (or
# $FUZZ_BUILD_DIR) and runs it for a number of seconds.
#   scripts/fuzz.sh [target] [seconds] [extra libFuzzer options...]
#   scripts/fuzz.sh fuzz_settings 300
# The corpus grows in <build>/corpus/<target>, seeded from fuzz/corpus/<target>; crashes are
# written to <build>/artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
target=${1:-fuzz_settings}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DVELMORA_BUILD_FUZZ=ON -DVELMORA_BUILD_GUI=OFF -DVELMORA_BUILD_TESTS=OFF \
    -DVELMORA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "$target"

corpus=$build/corpus/$target
mkdir -p "$corpus" "$build/artifacts"
seeds=()
[ -d "$root/fuzz/corpus/$target" ] && seeds+=("$root/fuzz/corpus/$target")
dict=()
[ -f "$root/fuzz/$target.dict" ] && dict+=("-dict=$root/fuzz/$target.dict")

"$build/fuzz/$target" -max_total_time="$seconds" -artifact_prefix="$build/artifacts/" \
    ${dict[@]+"${dict[@]}"} "$@" "$corpus" ${seeds[@]+"${seeds[@]}"}
