"""Recording real PyVISA programs: @vesk over pyvisa-py, against the simulator.

What a recorded session holds call by call (queries, attributes, binary
blocks, timeouts, failed searches, calls pyvisa-py does not implement, a
buffer over the limit) is checked by the golden renderings of
test_rendering.py; the values and buffers by the recorder's own tests in
test_capture.py. These tests check what only a live session shows.
"""

import gc
import os
import re
import signal
import subprocess
import sys
import threading
import warnings

import pytest
from pyvisa import constants, errors
from pyvisa.constants import StatusCode

from conftest import PYTHON_DIR, TIMEOUT_MS, data_of, functions, param, pyvisa, read_calls
from simulator import IDENTITY

TIME = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{9}Z$")


def status_of(call) -> int:
    out = call["out"]
    return out["params"][out["ret"]]["u32"]


def u32(status: int) -> int:
    return status & 0xFFFFFFFF


# When, on which thread and process, and for how long: the times of a call
# that timed out cover its wait.
def test_every_line_says_when_where_and_how_long(instrument, trace):
    instrument.query("*IDN?")
    with pytest.raises(errors.VisaIOError):
        instrument.query("WAIT?")
    calls = read_calls(trace)
    for call in calls:
        assert TIME.match(call["time"]), call["time"]
        assert call["duration"] >= 0
        assert call["thread"] == threading.get_native_id()
        assert call["process"] == os.getpid()
        # The reader numbers the function by its name.
        assert "id" not in call
    assert calls[-1]["function"] == "viRead"
    assert calls[-1]["duration"] >= 0.8 * TIMEOUT_MS / 1000


# --- PyVISA's statuses, warnings and exceptions, as without recording --------------------------


def run_scenario(manager, resource):
    """What a program sees of a short session: results, exceptions, the last
    statuses and the warnings."""
    seen = []
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        instrument = manager.open_resource(resource, read_termination="\n",
                                           write_termination="\n", timeout=TIMEOUT_MS)
        seen.append(instrument.query("*IDN?"))
        seen.append(instrument.last_status)
        instrument.write("TERM OFF")
        instrument.write("*IDN?")
        # A read that ends on the count warns, unless the warning is ignored.
        seen.append(manager.visalib.read(instrument.session, 5))
        with instrument.ignore_warning(StatusCode.success_max_count_read):
            seen.append(manager.visalib.read(instrument.session, 5))
        seen.append(manager.visalib.last_status)
        for failing in (lambda: instrument.query("WAIT?"), instrument.read_stb,
                        lambda: instrument.get_visa_attribute(constants.VI_ATTR_GPIB_PRIMARY_ADDR)):
            with pytest.raises(errors.VisaIOError) as raised:
                failing()
            seen.append(raised.value.error_code)
            seen.append(instrument.last_status)
        seen.append(manager.visalib.get_last_status_in_session(instrument.session))
        instrument.close()
    seen.append([(warning.category, str(warning.message)) for warning in caught])
    return seen


def test_statuses_warnings_and_exceptions_are_those_of_the_inner_backend(
        open_manager, simulator, trace):
    bare = pyvisa.ResourceManager("@py")
    try:
        expected = run_scenario(bare, simulator.resource)
    finally:
        bare.close()
    assert run_scenario(open_manager(), simulator.resource) == expected
    # The warning was logged either way, and each failure before it was raised.
    calls = read_calls(trace)
    reads = [call for call in calls if call["function"] == "viRead"]
    assert [status_of(call) for call in reads[1:3]] == [StatusCode.success_max_count_read] * 2
    failures = [call for call in calls if call.get("out", {}).get("ok") is False]
    assert [(call["function"], status_of(call)) for call in failures] == [
        ("viRead", u32(StatusCode.error_timeout)),
        ("viReadSTB", u32(StatusCode.error_nonsupported_operation)),
        ("viGetAttribute", u32(StatusCode.error_nonsupported_attribute))]


# An inner backend that raises VisaIOError itself, instead of reporting the
# status: the call is logged with that status as failed, and the exception
# reaches the program unchanged.
def test_an_error_the_inner_backend_raises_is_logged(instrument, trace, monkeypatch):
    lost = errors.VisaIOError(StatusCode.error_connection_lost)

    def clear(session):
        raise lost

    monkeypatch.setattr(instrument.visalib.inner, "clear", clear)
    with pytest.raises(errors.VisaIOError) as raised:
        instrument.clear()
    assert raised.value is lost
    call = read_calls(trace)[-1]
    assert call["function"] == "viClear"
    assert call["out"]["ok"] is False
    assert status_of(call) == u32(StatusCode.error_connection_lost)


# --- threads, processes, files -------------------------------------------------------------------


def test_four_threads_at_once_each_get_whole_lines(manager, simulator, trace):
    queries = 25
    barrier = threading.Barrier(4)
    thread_ids = []

    def work():
        instrument = manager.open_resource(simulator.resource, read_termination="\n",
                                           write_termination="\n", timeout=5000)
        thread_ids.append(threading.get_native_id())
        barrier.wait()
        for _ in range(queries):
            assert instrument.query("*IDN?") == IDENTITY.decode()
        instrument.close()

    threads = [threading.Thread(target=work) for _ in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    calls = read_calls(trace)  # every line parses: none was torn
    for thread_id in thread_ids:
        own = [call for call in calls if call["thread"] == thread_id]
        reads = [call for call in own if call["function"] == "viRead"]
        assert len(reads) == queries
        assert {data_of(param(call["out"]["params"], "*buf")) for call in reads} == {
            IDENTITY + b"\n"}
        # One thread's calls end in the order they started.
        assert [call["time"] for call in own] == sorted(call["time"] for call in own)


def test_library_objects_on_one_path_share_the_file_truncated_once(open_manager, trace):
    trace.write_text("an earlier capture\n")
    first = open_manager()
    second = open_manager(";limit=4096")  # another library object, the same file
    assert first.visalib is not second.visalib
    assert functions(read_calls(trace)) == ["viOpenDefaultRM", "viOpenDefaultRM"]
    first.close()
    second.close()
    del first, second
    gc.collect()
    open_manager(";limit=8192")  # the file is not truncated again in this process
    assert functions(read_calls(trace)) == ["viOpenDefaultRM"] * 2 + ["viClose"] * 2 + [
        "viOpenDefaultRM"]


SCRIPT = """
import os, signal, pyvisa
rm = pyvisa.ResourceManager()
instrument = rm.open_resource({resource!r}, read_termination="\\n", write_termination="\\n")
print(instrument.query("*IDN?"))
if {crash}:
    os.kill(os.getpid(), signal.SIGKILL)
"""


def run_script(tmp_path, resource, environment, crash=False):
    script = tmp_path / "measure.py"
    script.write_text(SCRIPT.format(resource=resource, crash=crash))
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("PYVISA_", "PYTHONPATH"))}
    env.update(environment, PYTHONPATH=str(PYTHON_DIR))
    return subprocess.run([sys.executable, str(script)], env=env, cwd=tmp_path,
                          capture_output=True, text=True, timeout=60)


# An unchanged script is recorded through the environment alone: to the
# file the library path or $PYVISA_VESK_TRACE names, else to vesk-trace.jsonl
# in its working directory; killed, it has lost no call that ended.
@pytest.mark.parametrize("library, variable, crash", [
    ("{trace}@vesk", None, False),
    ("@vesk", "{trace}", False),
    (";limit=64@vesk", "{trace}", False),
    ("@vesk", None, False),
    ("{trace}@vesk", None, True),
])
def test_an_unchanged_script_is_recorded(tmp_path, simulator, trace, library, variable, crash):
    environment = {"PYVISA_LIBRARY": library.format(trace=trace)}
    if variable:
        environment["PYVISA_VESK_TRACE"] = variable.format(trace=trace)
    finished = run_script(tmp_path, simulator.resource, environment, crash)
    named = "{trace}" in library + (variable or "")
    calls = read_calls(trace if named else tmp_path / "vesk-trace.jsonl")
    assert {call["process"] for call in calls} != {os.getpid()}
    if crash:
        assert finished.returncode == -signal.SIGKILL
        assert functions(calls)[-2:] == ["viWrite", "viRead"]
    else:
        assert finished.returncode == 0, finished.stderr
        assert finished.stdout.strip() == IDENTITY.decode()
        # Closed at exit by PyVISA's own handler, still recorded.
        assert "viRead" in functions(calls) and functions(calls)[-1] == "viClose"
