#!/bin/sh
# Builds the fuzz targets with clang and runs each one for a short time over
# its corpus in fuzz/corpus/<target>/ (seeds and the inputs of crashes found
# before). Fails when a target crashes or breaks one of its checks; the input
# is then left in the build folder as crash-<hash> and named in the output.
#
#   fuzz/run.sh [seconds per target]      (default 10; six targets)
#
# BUILD_DIR chooses the build folder (default: build-fuzz beside this folder).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-fuzz}
seconds=${1:-10}
targets="fuzz_receiptnumber fuzz_netvat fuzz_words fuzz_receiptfile fuzz_search fuzz_settings"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DZETTELFIX_FUZZ=ON -DBUILD_TESTING=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_all -j2

# What a run finds beyond the corpus stays in the build folder; the corpus in
# the source tree changes only by hand.
work="$build/fuzz-run"
failed=""
for target in $targets; do
    mkdir -p "$work/$target"
    echo "== $target ($seconds s)"
    if ! (cd "$work" && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "$build/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 \
            "$work/$target" "$here/corpus/$target" >"$work/$target.log" 2>&1); then
        echo "!! $target failed:"
        grep -E "ERROR|runtime error|invariant broken|Test unit written" "$work/$target.log" || tail -20 "$work/$target.log"
        failed="$failed $target"
    else
        grep -E "^stat::number_of_executed_units" "$work/$target.log" || true
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing failed:$failed (logs in $work)"
    exit 1
fi
echo "fuzzing passed: $targets"
