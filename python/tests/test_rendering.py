"""Recorded captures rendered by the built vesk-replay, in every mode.

A session against the simulator is recorded once; its ports, handles, times
and thread and process ids are replaced by fixed placeholders, and what
vesk-replay prints is compared with golden/recorded-session.MODE.out. With
KOVESK_UPDATE_GOLDEN set, the expected files are written instead (review
them before committing).
"""

import json
import os
import pathlib
import re
import shutil
import subprocess

import pytest
from pyvisa import constants, errors

from conftest import TIMEOUT_MS, pyvisa, read_calls
from pyvisa_vesk.capture import Recorder
from pyvisa_vesk.tracefile import TraceFile
from simulator import Simulator

GOLDEN = pathlib.Path(__file__).resolve().parent / "golden"
MODES = {
    "list": ["--list"],
    "timing": ["--timing"],
    "export": ["--export"],
    "xml": ["--xml"],
    "pages": ["--pages"],
}
HANDLE_CODES = (33, 35, 37)
FIRST_HANDLE = 0x1001


def record_session(trace: pathlib.Path, simulator: Simulator) -> None:
    """A measurement that meets every kind of call the recorder logs."""
    manager = pyvisa.ResourceManager(f"{trace};limit=1000@vesk")
    manager.list_resources("TCPIP?*::SOCKET")
    instrument = manager.open_resource(simulator.resource, read_termination="\n",
                                       write_termination="\n", timeout=TIMEOUT_MS)
    assert instrument.timeout == TIMEOUT_MS
    instrument.query("*IDN?")
    instrument.query_binary_values("CURV?", datatype="B")
    instrument.write("DATA? 2000")
    instrument.read_bytes(2001, chunk_size=2001)  # with its line feed
    with pytest.raises(errors.VisaIOError):
        instrument.query("WAIT?")
    with pytest.raises(errors.VisaIOError):
        instrument.read_stb()
    with pytest.raises(NotImplementedError):
        instrument.enable_event(constants.EventType.service_request,
                                constants.EventMechanism.queue)
    instrument.close()
    manager.close()


def normalise(calls, port: int):
    """The calls with what changes from run to run replaced by placeholders."""
    handles = {}
    for number, call in enumerate(calls):
        call["time"] = "2026-01-01T00:00:%02d.000000000Z" % number
        if "duration" in call:
            call["duration"] = 0.000125
        call["thread"] = 1
        call["process"] = 1
        entries = call["in"] + call.get("out", {}).get("params", [])
        for entry in entries:
            if entry.get("type") in HANDLE_CODES:
                entry["u32"] = handles.setdefault(entry["u32"], FIRST_HANDLE + len(handles))
            if "text" in entry and str(port) in entry["text"]:
                entry["text"] = entry["text"].replace(str(port), "PORT")
                if not entry.get("truncated") and "fullSize" in entry:
                    entry["fullSize"] = len(entry["text"].encode())
    return calls


def write_calls(path: pathlib.Path, calls) -> None:
    path.write_text("".join(json.dumps(call, separators=(",", ":")) + "\n" for call in calls))


def render(replay: str, arguments, capture: pathlib.Path) -> bytes:
    """What vesk-replay prints: bytes, since texts keep the bytes captured."""
    finished = subprocess.run(
        [replay, *arguments, str(capture)], capture_output=True, timeout=60,
        env={**os.environ, "TZ": "UTC", "LC_ALL": "C.UTF-8"})
    assert finished.returncode == 0, finished.stderr
    assert finished.stderr == b""
    return finished.stdout


@pytest.fixture(scope="module")
def recorded_session(tmp_path_factory) -> pathlib.Path:
    folder = tmp_path_factory.mktemp("rendering")
    trace = folder / "raw.jsonl"
    simulator = Simulator().start()
    try:
        record_session(trace, simulator)
    finally:
        simulator.stop()
    capture = folder / "recorded-session.jsonl"
    write_calls(capture, normalise(read_calls(trace), simulator.port))
    return capture


@pytest.mark.parametrize("mode", MODES)
def test_a_recorded_session_renders_as_before(replay, recorded_session, mode):
    actual = render(replay, MODES[mode], recorded_session)
    expected_file = GOLDEN / f"recorded-session.{mode}.out"
    if os.environ.get("KOVESK_UPDATE_GOLDEN"):
        expected_file.write_bytes(actual)
    assert actual == expected_file.read_bytes()


def test_the_recorded_xml_is_well_formed(replay, recorded_session):
    xmllint = shutil.which("xmllint")
    if xmllint is None:
        pytest.skip("xmllint is not installed (apt-get install libxml2-utils)")
    document = render(replay, ["--xml"], recorded_session)
    checked = subprocess.run([xmllint, "--noout", "-"], input=document, capture_output=True,
                             timeout=60)
    assert checked.returncode == 0, checked.stderr


def test_a_long_buffer_dumps_head_and_tail_at_their_offsets(replay, tmp_path):
    data = bytes(index % 253 for index in range(100_000))
    capture = tmp_path / "long.jsonl"
    trace = TraceFile(str(capture), truncate=True)
    Recorder(trace).record("read", (4097, 100_000), (data,), constants.StatusCode.success, 0, 1)
    trace.close()
    lines = render(replay, ["--export"], capture).decode("latin-1").splitlines()
    separator = lines.index("-" * 76)
    # The head ends after 32768 bytes; the tail holds the last 32768 of 100000.
    assert lines[separator - 1].startswith("00007FF0:  ")
    assert lines[separator + 1].startswith("000106A0:  ")
    assert lines[separator + 1][11:58] == " ".join("%02X" % byte for byte in data[67232:67248])
    dump = [line for line in lines if re.match(r"[0-9A-F]{8}:  ", line)]
    assert dump[-1].startswith("00018690:  ")
