#!/usr/bin/python3
"""What recording adds to each low-level PyVISA call.

Runs the same low-level calls against the test suite's simulated instrument
(python/tests/simulator.py, on 127.0.0.1) through pyvisa-py alone and
through the pyvisa_vesk backend over pyvisa-py, round after round,
alternating the two, and prints per operation the time of one call in each
and the difference: the cost of recording. The fastest round of each counts
(the machine is shared: slower rounds measure the neighbours).

Usage: /usr/bin/python3 bench/pyvisa_overhead.py [CALLS_PER_ROUND] [ROUNDS]
"""

import pathlib
import sys
import tempfile
import time

REPOSITORY = pathlib.Path(__file__).resolve().parents[1]
sys.path[:0] = [str(REPOSITORY / "python"), str(REPOSITORY / "python" / "tests")]

import pyvisa  # noqa: E402
from pyvisa import constants  # noqa: E402

from simulator import Simulator  # noqa: E402

# The operations measured, each one low-level call.
OPERATIONS = {
    "get_attribute (no I/O)": lambda lib, vi: lib.get_attribute(vi, constants.VI_ATTR_TMO_VALUE),
    "set_attribute (no I/O)": lambda lib, vi: lib.set_attribute(
        vi, constants.VI_ATTR_TMO_VALUE, 2000),
    "write + read of *IDN? (2 calls)": lambda lib, vi: (
        lib.write(vi, b"*IDN?\n"), lib.read(vi, 1024)),
}
CALLS_PER_OPERATION = {"write + read of *IDN? (2 calls)": 2}


def open_session(library: str, resource: str):
    manager = pyvisa.ResourceManager(library)
    instrument = manager.open_resource(resource, read_termination="\n", write_termination="\n")
    return manager, instrument


def time_round(operation, library, session, calls: int) -> float:
    """Seconds per call of `calls` calls."""
    started = time.perf_counter()
    for _ in range(calls):
        operation(library, session)
    return (time.perf_counter() - started) / calls


def main() -> None:
    calls = int(sys.argv[1]) if len(sys.argv) > 1 else 2000
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    simulator = Simulator().start()
    with tempfile.TemporaryDirectory() as folder:
        trace = pathlib.Path(folder) / "overhead.jsonl"
        bare = open_session("@py", simulator.resource)
        recorded = open_session(f"{trace}@vesk", simulator.resource)
        print(f"{calls} calls a round, fastest of {rounds} rounds, microseconds per call")
        print(f"{'operation':34} {'pyvisa-py':>10} {'recorded':>10} {'added':>8}")
        worst = 0.0
        for name, operation in OPERATIONS.items():
            fastest = {"bare": float("inf"), "recorded": float("inf")}
            for _ in range(rounds):
                for kind, (manager, instrument) in (("bare", bare), ("recorded", recorded)):
                    seconds = time_round(operation, manager.visalib, instrument.session, calls)
                    fastest[kind] = min(fastest[kind], seconds)
            per_call = CALLS_PER_OPERATION.get(name, 1)
            bare_us = fastest["bare"] * 1e6 / per_call
            recorded_us = fastest["recorded"] * 1e6 / per_call
            worst = max(worst, recorded_us - bare_us)
            print(f"{name:34} {bare_us:10.2f} {recorded_us:10.2f} {recorded_us - bare_us:8.2f}")
        lines = len(trace.read_text().splitlines())
        print(f"most added per low-level call: {worst:.2f} us ({lines} lines recorded)")
        for manager, instrument in (bare, recorded):
            instrument.close()
            manager.close()
    simulator.stop()


if __name__ == "__main__":
    main()
