"""Fixtures of the browser view's tests: the built vesk-replay, a server
started on a capture (and stopped as a user stops it), and generated
captures of many calls."""

import datetime
import json
import os
import pathlib
import signal
import subprocess
import urllib.error
import urllib.parse
import urllib.request
from typing import Any, Dict, Iterator, List, Optional, Tuple

import pytest

REPOSITORY = pathlib.Path(__file__).resolve().parents[3]
EXAMPLE = REPOSITORY / "examples" / "session.jsonl"
GOLDEN = REPOSITORY / "tests" / "replay" / "golden"

# How long a server may take to start, answer or stop on a loaded machine.
TIMEOUT_S = 30


def replay_path() -> pathlib.Path:
    path = os.environ.get("VESK_REPLAY")
    if not path:
        pytest.skip("VESK_REPLAY does not name the built vesk-replay (run through CTest)")
    return pathlib.Path(path)


def run_replay(*arguments: str, locale: str = "C.UTF-8") -> subprocess.CompletedProcess:
    """vesk-replay with `arguments`, its output as bytes."""
    environment = dict(os.environ, TZ="UTC", LC_ALL=locale)
    return subprocess.run([str(replay_path()), *arguments], capture_output=True, timeout=TIMEOUT_S,
                          env=environment, check=False)


class Server:
    """vesk-replay --serve on one capture, asked as a browser asks."""

    def __init__(self, capture: pathlib.Path, *arguments: str) -> None:
        environment = dict(os.environ, TZ="UTC", LC_ALL="C.UTF-8")
        self.process = subprocess.Popen(
            [str(replay_path()), "--serve", *arguments, str(capture)], stdout=subprocess.PIPE,
            stderr=subprocess.PIPE, env=environment)
        first = self.process.stdout.readline().decode().strip()
        if not first.startswith("http://127.0.0.1:"):
            self.process.kill()
            raise AssertionError("no URL first: %r %r" % (first, self.process.stderr.read()))
        self.url = first

    def get(self, path: str, parameters: Optional[List[Tuple[str, str]]] = None,
            headers: Optional[Dict[str, str]] = None, method: str = "GET") -> Tuple[int, Any]:
        """The status and the parsed JSON of one request."""
        query = "?" + urllib.parse.urlencode(parameters) if parameters else ""
        request = urllib.request.Request(self.url + path + query, headers=headers or {}, method=method)
        try:
            with urllib.request.urlopen(request, timeout=TIMEOUT_S) as answer:
                return answer.status, json.loads(answer.read())
        except urllib.error.HTTPError as refused:
            return refused.code, json.loads(refused.read())

    def ok(self, path: str, **parameters: Any) -> Any:
        status, body = self.get(path, [(k, str(v)) for k, v in parameters.items()])
        assert status == 200, body
        return body

    def wait_indexed(self) -> Dict[str, Any]:
        """The info once the capture is indexed to its end."""
        deadline = datetime.datetime.now() + datetime.timedelta(seconds=TIMEOUT_S)
        while True:
            info = self.ok("api/info")
            if info["complete"] or datetime.datetime.now() > deadline:
                return info

    def rows(self, **parameters: Any) -> Dict[str, Any]:
        """Rows of a view, asked again until the view is complete."""
        deadline = datetime.datetime.now() + datetime.timedelta(seconds=TIMEOUT_S)
        while True:
            answer = self.ok("api/rows", **parameters)
            if answer["complete"] or datetime.datetime.now() > deadline:
                return answer

    def stop(self, signal_number: int = signal.SIGTERM) -> int:
        """Stops the server as a user does; its exit status."""
        if self.process.poll() is None:
            self.process.send_signal(signal_number)
        try:
            return self.process.wait(timeout=TIMEOUT_S)
        finally:
            self.process.stdout.close()
            self.process.stderr.close()


@pytest.fixture
def serve() -> Iterator:
    """serve(capture, *arguments): a running server, stopped afterwards."""
    servers: List[Server] = []

    def start(capture: pathlib.Path, *arguments: str) -> Server:
        server = Server(capture, *arguments)
        servers.append(server)
        return server

    yield start
    for server in servers:
        server.stop()


# --- generated captures --------------------------------------------------------------

SESSION = "TCPIP0::192.168.1.20::inst0::INSTR"
VI_SUCCESS_TERM_CHAR = 1073676293
VI_ERROR_TMO = 3221159957
START = datetime.datetime(2026, 12, 6, 10, 15, 30, tzinfo=datetime.timezone.utc)


def write_call(command: str, address: int) -> Dict[str, Any]:
    return {"function": "viWrite", "id": 22, "in": [
        {"name": "dummysesvi", "type": 45, "text": SESSION}, {"name": "vi", "type": 33, "u32": 4099},
        {"name": "buf", "type": 42, "u64": address}, {"name": "*buf", "type": 42, "text": command},
        {"name": "cnt", "type": 1, "u32": len(command)}, {"name": "retCnt", "type": 2, "u64": address + 16}],
        "out": {"params": [{"name": "*retCnt", "type": 1, "u32": len(command)}, {"type": 23, "u32": 0}],
                "ret": 1}}


def read_call(reply: str, address: int, status: int) -> Dict[str, Any]:
    call = {"function": "viRead", "id": 19, "in": [
        {"name": "dummysesvi", "type": 45, "text": SESSION}, {"name": "vi", "type": 33, "u32": 4099},
        {"name": "buf", "type": 42, "u64": address}, {"name": "cnt", "type": 1, "u32": 256},
        {"name": "retCnt", "type": 2, "u64": address + 16}],
        "out": {"params": [{"name": "*buf", "type": 42, "text": reply},
                           {"name": "*retCnt", "type": 1, "u32": len(reply)}, {"type": 23, "u32": status}],
                "ret": 2}}
    if status >= 0x80000000:
        call["out"]["ok"] = False
    return call


def make_capture(path: pathlib.Path, calls: int, failed: int) -> pathlib.Path:
    """A test station's loop of `calls` calls with times, durations and a
    thread: queries and their replies; call `failed` is the one read that
    timed out, after 4 bytes of its reply."""
    with path.open("w") as out:
        for number in range(1, calls + 1):
            address = 140726184317000 + (number % 4) * 32
            if number == failed:
                call = read_call("+1.2", address, VI_ERROR_TMO)
            elif number % 2:
                call = write_call("MEAS:VOLT? (%d)\n" % (number // 2), address)
            else:
                call = read_call("+%d.%03dE+00\n" % (number % 10, number % 1000), address, VI_SUCCESS_TERM_CHAR)
            time = START + datetime.timedelta(milliseconds=number)
            call["time"] = time.strftime("%Y-%m-%dT%H:%M:%S.%fZ")
            call["duration"] = 0.000125 if number != failed else 2.0
            call["thread"] = 4711
            out.write(json.dumps(call, separators=(",", ":")) + "\n")
    return path
