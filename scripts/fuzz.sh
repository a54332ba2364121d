#!/usr/bin/env bash
# Builds and runs the libFuzzer targets of fuzz/ (every target fuzz/CMakeLists.txt
# adds with sj_add_fuzzer), each seeded from fuzz/corpus/<target>/.
#   scripts/fuzz.sh smoke            each target for a short fixed time (the test run)
#   scripts/fuzz.sh long [SECONDS]   each target for SECONDS (default 600)
# Environment: SPLITJOIN_BUILD (build root, default build/), FUZZ_SECONDS (smoke time per
# target, default 30: enough to go past the seeds), FUZZ_TARGETS (space-separated subset).
# Exits non-zero when a target crashes or a sanitizer reports; the crashing input is
# kept in <build>/fuzz/artifacts/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SPLITJOIN_BUILD:-$root/build}/fuzz"
mode=${1:-smoke}

case "$mode" in
smoke) limit=(-max_total_time="${FUZZ_SECONDS:-30}") ;;
long) limit=(-max_total_time="${2:-600}") ;;
*)
    echo "usage: $0 smoke | long [SECONDS]" >&2
    exit 2
    ;;
esac

# Coverage instrumentation for our libraries too, not only for the fuzz entry points.
cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DSPLITJOIN_FUZZ=ON -DSPLITJOIN_TESTS=OFF -DSPLITJOIN_DEPS_DIR="$root/build/deps" >/dev/null || exit 1
cmake --build "$build" --target fuzzers -j"$(nproc)" || exit 1

targets=${FUZZ_TARGETS:-$(cat "$build/fuzz_targets.txt")}
mkdir -p "$build/artifacts"
status=0
for target in $targets; do
    seeds="$root/fuzz/corpus/$target"
    # New inputs go to a scratch corpus; the committed seeds stay as they are.
    work="$build/corpus/$target"
    mkdir -p "$work"
    args=("${limit[@]}" -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1)
    [ -f "$root/fuzz/$target.dict" ] && args+=(-dict="$root/fuzz/$target.dict")
    echo "== $target =="
    if ! "$build/bin/$target" "${args[@]}" "$work" "$seeds" >"$build/$target.log" 2>&1; then
        tail -n 40 "$build/$target.log"
        echo "FUZZ FAILURE: $target (log: $build/$target.log)"
        status=1
    else
        grep -E "^(Done|stat::number_of_executed_units)" "$build/$target.log" || true
    fi
done
exit $status
