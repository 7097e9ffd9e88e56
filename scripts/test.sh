#!/usr/bin/env bash
# Builds everything and runs every test:
#  1. the normal build (warnings are errors) and its tests, then a Release
#     build, warnings as errors too, and its tests;
#  2. a build with AddressSanitizer and UndefinedBehaviorSanitizer and its
#     tests, the fuzz targets' seed corpora among them (its warnings are the
#     normal build's, and the sanitizers make some of the compiler's bounds
#     warnings misfire, so they are not errors there);
#  3. the fuzz targets built with clang and libFuzzer on a sanitizer build,
#     each fuzzed for a bounded time: 60 seconds when CI is set, a few
#     seconds otherwise (KOVESK_FUZZ_SECONDS overrides both); any crash,
#     overrun, leak or hang fails the run and leaves its input under
#     build-fuzz/artifacts/;
#  4. a ThreadSanitizer build of the concurrency tests, and of vesk-replay
#     under the browser view's server tests.
# Usage: scripts/test.sh [--no-sanitize]   (only step 1)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
kovesk_require $KOVESK_PACKAGES

jobs=$(nproc)
run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

# fuzz_target NAME SECONDS: fuzzes one target, new inputs going to a scratch
# directory so that the committed corpus stays as it is.
fuzz_target() {
    local name=$1 seconds=$2
    local work=build-fuzz/work/$name
    rm -rf "$work"
    mkdir -p "$work" build-fuzz/artifacts
    if ! "build-fuzz/bin/fuzz_${name}_libfuzzer" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$name-" \
        "$work" "fuzz/corpus/$name" >"build-fuzz/$name.log" 2>&1; then
        tail -n 60 "build-fuzz/$name.log" >&2
        echo "error: fuzz target $name failed; its input is in build-fuzz/artifacts/" >&2
        return 1
    fi
    echo "fuzz target $name: $(grep -h 'stat::number_of_executed_units' "build-fuzz/$name.log" |
        awk '{print $2}') runs in ${seconds}s, no fault" >&2
}

echo "== normal build" >&2
run_suite build -DKOVESK_WERROR=ON
# The optimiser sees more (and warns about more) than the normal build's.
echo "== Release build (warnings are errors)" >&2
run_suite build-release -DCMAKE_BUILD_TYPE=Release -DKOVESK_WERROR=ON
[ "${1:-}" = "--no-sanitize" ] && exit 0

echo "== sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)" >&2
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
run_suite build-asan -DKOVESK_SANITIZE=ON

echo "== fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)" >&2
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKOVESK_WERROR=ON -DKOVESK_SANITIZE=ON \
    -DKOVESK_FUZZ=ON -DKOVESK_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzzers
seconds=${KOVESK_FUZZ_SECONDS:-$([ -n "${CI:-}" ] && echo 60 || echo 5)}
# One target per core at a time.
pids=()
failed=0
for target in build-fuzz/bin/fuzz_*_libfuzzer; do
    name=${target#build-fuzz/bin/fuzz_}
    name=${name%_libfuzzer}
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
    TZ=UTC fuzz_target "$name" "$seconds" &
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
[ "$failed" -eq 0 ]

echo "== ThreadSanitizer build (concurrency tests)" >&2
cmake -S . -B build-tsan -DKOVESK_TSAN=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target concurrency_tests vesk-replay
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/bin/concurrency_tests
# The browser view's server: an indexing thread and request threads over one
# capture, driven by its own tests.
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/replay/web/tsan.supp" \
    VESK_REPLAY="$PWD/build-tsan/bin/vesk-replay" PYTHONDONTWRITEBYTECODE=1 \
    /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/replay/web/test_server.py
