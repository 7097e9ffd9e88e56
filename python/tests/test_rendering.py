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

import pytest
from pyvisa import constants, errors

from conftest import REPLAY_MODES, TIMEOUT_MS, check_renders, pyvisa, read_calls, render
from simulator import Simulator

GOLDEN = pathlib.Path(__file__).resolve().parent / "golden"
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


@pytest.fixture(scope="module")
def recorded_session(tmp_path_factory, replay) -> pathlib.Path:
    folder = tmp_path_factory.mktemp("rendering")
    trace = folder / "raw.jsonl"
    simulator = Simulator().start()
    try:
        record_session(trace, simulator)
    finally:
        simulator.stop()
    capture = folder / "recorded-session.jsonl"
    write_calls(capture, normalise(read_calls(trace), simulator.port))
    check_renders(replay, capture)  # its XML checked by xmllint
    return capture


@pytest.mark.parametrize("mode", REPLAY_MODES)
def test_a_recorded_session_renders_as_before(replay, recorded_session, mode):
    actual = render(replay, REPLAY_MODES[mode], recorded_session)
    expected_file = GOLDEN / f"recorded-session.{mode}.out"
    if os.environ.get("KOVESK_UPDATE_GOLDEN"):
        expected_file.write_bytes(actual)
    assert actual == expected_file.read_bytes()
