#!/usr/bin/env bash
# Builds the benchmarks (Release, -DKOVESK_BENCH=ON) and runs them all: the
# in-process benchmarks, vesk-replay end to end over generated captures of
# 10^4, 10^5 and 10^6 calls, the browser view's server on 10^6 calls, the
# dump comparison with xxd, and every mode of vesk-replay beside --list and
# xxd (bench/end_to_end.py).
#
# Usage: bench/run.sh [BUILD_DIR]          (default: build-bench)
#   BENCH_FLAGS   Google Benchmark flags of the in-process benchmarks
#                 (default: 5 repetitions, aggregates reported: read the medians)
#   REPLAY_BENCH_FLAGS  extra flags of the end-to-end benchmarks (for example
#                 --benchmark_filter=list)
#   KOVESK_BENCH_DATA  where the generated captures are kept (default:
#                 BUILD_DIR/bench-data; about 1.2 GB)
#   REPEAT        rounds of the end-to-end comparisons (default 5)
#
# The machine is shared and small: read the medians, and compare runs made
# close together.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
kovesk_require $KOVESK_PACKAGES $KOVESK_BENCH_PACKAGES

build=${1:-build-bench}
flags=${BENCH_FLAGS:---benchmark_repetitions=5 --benchmark_report_aggregates_only=true}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKOVESK_BENCH=ON -DKOVESK_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target render_bench replay_bench make-capture dump-file \
    vesk-replay KoVeskVV >/dev/null

echo "== in process: descriptions, status column, scalar arguments, exports, page dumps"
# shellcheck disable=SC2086
"$build/bin/render_bench" $flags
echo
echo "== vesk-replay end to end (calls per second of wall time, peak resident memory)"
# Each run of 10^6 calls takes seconds: three repetitions of one run each.
# shellcheck disable=SC2086
"$build/bin/replay_bench" --benchmark_repetitions=3 --benchmark_min_time=0 \
    --benchmark_report_aggregates_only=true ${REPLAY_BENCH_FLAGS:-}
echo
echo "== vesk-replay --serve on 10^6 calls: first rows, details, filtered views"
data=${KOVESK_BENCH_DATA:-$build/bench-data}
mkdir -p "$data"
[ -f "$data/station-1000000.jsonl" ] || "$build/bin/make-capture" --calls 1000000 "$data/station-1000000.jsonl"
/usr/bin/python3 bench/web_bench.py "$build/bin/vesk-replay" "$data/station-1000000.jsonl"
echo
echo "== dumps of 64 MiB beside xxd"
bench/compare-dump.sh "$build"
echo
echo "== every mode end to end, beside --list and xxd (medians of interleaved runs)"
/usr/bin/python3 bench/end_to_end.py --build "$build" --repeat "${REPEAT:-5}"
