#!/usr/bin/env bash
# Dumps the same random bytes (64 MiB) three ways in one run, xxd, the
# plug-in's export dump (wide layout, export use 0) and its buffer-page dump
# (compact layout), and prints the throughputs and their ratios to xxd's.
# Beside them, the time that only making that many lines takes (the host
# owns each line: one allocation and one copy per line), the floor under
# either dump. Then the same end to end through vesk-replay, on a capture
# of one viRead call that returned those bytes, beside the time vesk-replay
# takes to read that capture without dumping it (--summary): the capture's
# parsing must not dwarf the dump.
#
# Usage: bench/compare-dump.sh [BUILD_DIR]    (default: build-bench; built
#        when the programs are missing)
#   DUMP_MIB  size of the buffer in MiB (default 64)
#   REPEAT    runs of each measurement; the median is shown (default 3)
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."

build=${1:-build-bench}
mib=${DUMP_MIB:-64}
repeat=${REPEAT:-3}
bytes=$((mib * 1024 * 1024))

if [ ! -x "$build/bin/dump-file" ] || [ ! -x "$build/bin/vesk-replay" ] ||
    [ ! -x "$build/bin/make-capture" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKOVESK_BENCH=ON -DKOVESK_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target dump-file make-capture vesk-replay KoVeskVV >/dev/null
fi
command -v xxd >/dev/null || { echo "error: xxd is missing (apt-get install xxd)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c "$bytes" /dev/urandom >"$work/random.bin"
"$build/bin/make-capture" --dump "$work/random.bin" "$work/one-call.jsonl"

# Median wall-clock seconds of $repeat runs of a command, output discarded.
median_seconds() {
    local i start end
    for ((i = 0; i < repeat; i++)); do
        start=$EPOCHREALTIME
        "$@" >/dev/null
        end=$EPOCHREALTIME
        awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
    done | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

xxd_s=$(median_seconds xxd "$work/random.bin")
dumps=$("$build/bin/dump-file" --repeat "$repeat" "$work/random.bin")
dump_seconds() { awk -v d="$1" -v h="$2" '$1 == d && $2 == h { print $3 }' <<<"$dumps"; }
export_s=$(dump_seconds export warm)
export_cold_s=$(dump_seconds export cold)
page_s=$(dump_seconds page warm)
page_cold_s=$(dump_seconds page cold)
export_floor_s=$(dump_seconds export-floor warm)
page_floor_s=$(dump_seconds page-floor warm)
replay=("$build/bin/vesk-replay")
read_s=$(median_seconds "${replay[@]}" --summary --export "$work/one-call.jsonl")
e2e_export_s=$(median_seconds "${replay[@]}" --export "$work/one-call.jsonl")
e2e_page_s=$(median_seconds "${replay[@]}" --pages=1 "$work/one-call.jsonl")

row() {  # label seconds
    awk -v label="$1" -v s="$2" -v x="$xxd_s" -v b="$bytes" \
        'BEGIN { printf "  %-44s %9.3f s %9.1f MiB/s %7.2fx\n", label, s, b / s / 1048576, x / s }'
}

echo "Dump of $mib MiB of random bytes, median of $repeat runs (ratio: xxd's time / this time)"
row "xxd" "$xxd_s"
row "plug-in export dump (wide, export use 0)" "$export_s"
row "plug-in page dump (compact)" "$page_s"
echo "The lines alone, each a copy of a dump line in a string of its own, as many as each dump makes:"
row "export lines, no formatting" "$export_floor_s"
row "page lines, no formatting" "$page_floor_s"
echo "The plug-in's call alone, on a heap that holds the memory of the previous dump;"
echo "the first run of each in a fresh process, which maps every line's memory anew:"
row "plug-in export dump, first run" "$export_cold_s"
row "plug-in page dump, first run" "$page_cold_s"
echo "End to end through vesk-replay, one call holding those bytes ($(($(stat -c %s "$work/one-call.jsonl") / 1048576)) MiB of JSON), output to /dev/null"
row "vesk-replay --summary --export (reading only)" "$read_s"
row "vesk-replay --export" "$e2e_export_s"
row "vesk-replay --pages=1" "$e2e_page_s"
