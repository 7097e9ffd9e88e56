#!/usr/bin/python3
"""vesk-replay end to end, as a user runs it, beside its own --list and xxd.

Runs every command of one table in turn, round after round, so that the
runs of all of them are spread alike over whatever else the machine does;
prints the median wall time of each, its spread (lowest to highest), its
median ratio to the reference row, and the peak resident memory.

Usage: bench/end_to_end.py [--repeat N] [--calls N] [--mib N]
                            [--memory-calls N] [--replay PATH] [--data DIR]
                            [--only station|buffer|memory]

  station   a test station's loop (make-capture --calls): --export=0,
            --pages and --xml against --list
  buffer    one viRead holding --mib MiB of random bytes on entry and on
            return (make-capture --dump-both): --export=0 and --pages
            against xxd on the raw bytes, and their peak memory
  memory    every mode over --memory-calls station calls: peak memory

Output goes to /dev/null. Captures are written once into --data (default:
$KOVESK_BENCH_DATA, else BUILD/bench-data) and kept; the station captures
are the ones replay_bench uses.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run_once(argv, report):
    """Wall seconds and peak resident MiB of one run, output discarded.

    The peak comes from /usr/bin/time: a child forked by this interpreter
    would count the interpreter's own pages in its peak.
    """
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", report] + argv, stdout=null)
        seconds = time.perf_counter() - start
    if status != 0:
        sys.exit(f"error: {' '.join(argv)} exited with {status}")
    with open(report) as text:
        return seconds, int(text.read().split()[-1]) / 1024.0


def measure(rows, repeat):
    """rows: [(label, argv)]; returns {label: ([seconds], [MiB])}, runs interleaved."""
    results = {label: ([], []) for label, _ in rows}
    report = os.path.join(tempfile.mkdtemp(), "peak")
    for _ in range(repeat):
        for label, argv in rows:
            seconds, mib = run_once(argv, report)
            results[label][0].append(seconds)
            results[label][1].append(mib)
    return results


def print_table(title, rows, results, reference):
    print(title)
    print(f"  {'':34} {'median s':>9} {'spread s':>15} {'ratio':>6} {'spread':>13} {'peak MiB':>9}")
    ref_times = results[reference][0]
    for label, _ in rows:
        times, mibs = results[label]
        ratios = [t / r for t, r in zip(times, ref_times)]
        print(f"  {label:34} {statistics.median(times):9.3f} "
              f"{min(times):7.3f}-{max(times):7.3f} "
              f"{statistics.median(ratios):6.2f} {min(ratios):6.2f}-{max(ratios):6.2f} "
              f"{max(mibs):9.1f}")
    print()


def ensure(path, argv):
    if not os.path.exists(path):
        partial = path + ".part"
        subprocess.run(argv + [partial], check=True)
        os.rename(partial, path)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build-bench"))
    parser.add_argument("--replay", help="vesk-replay to time (default: BUILD/bin/vesk-replay)")
    parser.add_argument("--data", help="where captures are kept (default: BUILD/bench-data)")
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--calls", type=int, default=200000)
    parser.add_argument("--mib", type=int, default=64)
    parser.add_argument("--memory-calls", type=int, default=1000000)
    parser.add_argument("--only", choices=["station", "buffer", "memory"], action="append")
    args = parser.parse_args()

    make_capture = os.path.join(args.build, "bin", "make-capture")
    replay = args.replay or os.path.join(args.build, "bin", "vesk-replay")
    data = (args.data or os.environ.get("KOVESK_BENCH_DATA")
            or os.path.join(args.build, "bench-data"))
    os.makedirs(data, exist_ok=True)
    parts = args.only or ["station", "buffer", "memory"]
    print(f"{replay}, {args.repeat} rounds, runs interleaved; ratio: time / reference time "
          f"of the same round\n")

    def station_table(calls, repeat):
        """Every mode over a station loop of `calls`, beside --list."""
        capture = ensure(os.path.join(data, f"station-{calls}.jsonl"),
                         [make_capture, "--calls", str(calls)])
        rows = [(f"--{mode}", [replay, f"--{mode}", capture])
                for mode in ("list", "export=0", "pages", "xml")]
        print_table(f"Station loop, {calls} calls (reference: --list)",
                    rows, measure(rows, repeat), "--list")

    if "station" in parts:
        station_table(args.calls, args.repeat)

    if "buffer" in parts:
        raw = os.path.join(data, f"random-{args.mib}MiB.bin")
        if not os.path.exists(raw):
            with open(raw + ".part", "wb") as out:
                out.write(os.urandom(args.mib << 20))
            os.rename(raw + ".part", raw)
        capture = ensure(os.path.join(data, f"both-{args.mib}MiB.jsonl"),
                         [make_capture, "--dump-both", raw])
        rows = [("xxd (raw bytes)", ["xxd", raw]),
                ("--export=0", [replay, "--export=0", capture]),
                ("--pages", [replay, "--pages", capture])]
        print_table(f"One call holding {args.mib} MiB twice, "
                    f"{os.path.getsize(capture) >> 20} MiB of JSON (reference: xxd)",
                    rows, measure(rows, args.repeat), "xxd (raw bytes)")

    if "memory" in parts:
        station_table(args.memory_calls, 1)


if __name__ == "__main__":
    main()
