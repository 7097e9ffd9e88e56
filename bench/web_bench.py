#!/usr/bin/python3
"""Times vesk-replay --serve on a capture as the browser view uses it.

Usage: web_bench.py VESK_REPLAY CAPTURE [--runs N] [--samples N]

- first rows: from starting the program to the first 100 rows answered
  (the page's first request), N fresh starts; the median and the worst;
- indexing: from the start to the whole capture indexed;
- rows: 100 rows at random positions of the whole list;
- details: the property pages, the text export and the XML element of
  random calls without large buffers (the station loop's 4 KiB waveform
  reads are timed apart);
- filtered views made to their end: errors only, a function, a text in
  the descriptions (rendered through the plug-in for every call);
- the server's peak resident memory.

Goals on the development machine: first rows under 200 ms, a call's
details under 50 ms. The figures are wall times of HTTP requests over one
kept-alive connection on 127.0.0.1; the machine is shared, so read medians
of runs made close together.
"""

import argparse
import http.client
import json
import random
import statistics
import subprocess
import sys
import time
import urllib.parse
from typing import Any, Dict, List, Tuple


class Server:
    def __init__(self, replay: str, capture: str) -> None:
        self.started = time.perf_counter()
        self.process = subprocess.Popen([replay, "--serve", capture], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        url = self.process.stdout.readline().decode().strip()
        parsed = urllib.parse.urlparse(url)
        self.connection = http.client.HTTPConnection(parsed.hostname, parsed.port, timeout=600)

    def get(self, path: str, **parameters: Any) -> Tuple[float, Dict[str, Any]]:
        """Seconds the request took, and its answer."""
        query = urllib.parse.urlencode(parameters)
        start = time.perf_counter()
        self.connection.request("GET", "/" + path + ("?" + query if query else ""))
        answer = self.connection.getresponse()
        body = json.loads(answer.read())
        if answer.status != 200:
            raise RuntimeError("%s: %s" % (path, body))
        return time.perf_counter() - start, body

    def peak_memory_kib(self) -> int:
        with open("/proc/%d/status" % self.process.pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0

    def stop(self) -> None:
        self.connection.close()
        self.process.terminate()
        self.process.wait()


def ms(seconds: float) -> str:
    return "%.1f ms" % (seconds * 1000)


def summary(times: List[float]) -> str:
    ordered = sorted(times)
    return "median %s, 95th percentile %s, worst %s (%d requests)" % (
        ms(statistics.median(ordered)), ms(ordered[int(0.95 * (len(ordered) - 1))]), ms(ordered[-1]), len(ordered))


def first_rows(replay: str, capture: str, runs: int) -> None:
    times = []
    for _ in range(runs):
        server = Server(replay, capture)
        server.get("api/rows", first=0, count=100)
        times.append(time.perf_counter() - server.started)
        server.stop()
    print("first rows after start: median %s, worst %s (%d starts)" % (
        ms(statistics.median(times)), ms(max(times)), runs))


def make_view(server: Server, **filter_: Any) -> Tuple[float, int, int]:
    """Seconds to make a view to its end, requests, and its matches."""
    start = time.perf_counter()
    requests = 0
    while True:
        _, answer = server.get("api/rows", first=0, count=100, **filter_)
        requests += 1
        if answer["complete"]:
            return time.perf_counter() - start, requests, answer["total"]


def main() -> int:
    arguments = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    arguments.add_argument("replay")
    arguments.add_argument("capture")
    arguments.add_argument("--runs", type=int, default=5)
    arguments.add_argument("--samples", type=int, default=200)
    options = arguments.parse_args()
    random.seed(7)

    first_rows(options.replay, options.capture, options.runs)

    server = Server(options.replay, options.capture)
    while True:
        _, info = server.get("api/info")
        if info["complete"]:
            break
        time.sleep(0.01)
    calls = info["calls"]
    print("indexing: %d calls in %.2f s" % (calls, time.perf_counter() - server.started))

    print("100 rows at random positions: " + summary(
        [server.get("api/rows", first=random.randrange(calls - 100), count=100)[0] for _ in range(options.samples)]))

    # A call's details: the station loop's calls, its waveform reads apart.
    small: Dict[str, List[float]] = {"pages": [], "export": [], "xml": []}
    waveform: Dict[str, List[float]] = {"pages": [], "export": [], "xml": []}
    while len(small["pages"]) < options.samples:
        number = random.randrange(1, calls + 1)
        times = {part: server.get("api/call", number=number, part=part) for part in small}
        buffers = times["pages"][1]["pages"].get("buffers", [])
        large = any(buffer["lineCount"] > 64 for buffer in buffers)
        for part, (seconds, _) in times.items():
            (waveform if large else small)[part].append(seconds)
    for part in small:
        print("details, %s: %s" % (part, summary(small[part])))
        if waveform[part]:
            print("details of a 4 KiB waveform read, %s: %s" % (part, summary(waveform[part])))

    for name, filter_ in [("errors only", {"errors": 1}), ("function viRead", {"function": "viRead"}),
                          ("text \"volt\" in the description", {"text": "volt"})]:
        seconds, requests, total = make_view(server, **filter_)
        print("view %s: %d matches of %d calls in %.2f s (%d requests, %.0f calls/s)" % (
            name, total, calls, seconds, requests, calls / seconds))
    print("peak resident memory of the server: %.1f MiB" % (server.peak_memory_kib() / 1024))
    server.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
