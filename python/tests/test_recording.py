"""Recording real PyVISA programs: @vesk over pyvisa-py, against the simulator."""

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

from conftest import PYTHON_DIR, TIMEOUT_MS, functions, param, pyvisa, read_calls
from simulator import IDENTITY, WAVEFORM, pattern

TIME = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{9}Z$")


def data_of(entry) -> bytes:
    """The bytes a data entry holds."""
    if "text" in entry:
        return entry["text"].encode("utf-8")
    return bytes.fromhex(entry["hex"])


def status_of(call) -> int:
    out = call["out"]
    return out["params"][out["ret"]]["u32"]


def u32(status: int) -> int:
    return status & 0xFFFFFFFF


# --- what a line holds -----------------------------------------------------------


def test_a_query_is_recorded_call_by_call(instrument, trace):
    assert instrument.query("*IDN?") == IDENTITY.decode()
    calls = read_calls(trace)
    assert functions(calls)[:3] == ["viOpenDefaultRM", "viParseRsrcEx", "viOpen"]
    assert functions(calls)[-2:] == ["viWrite", "viRead"]
    opened = calls[2]
    assert param(opened["in"], "rsrcName")["text"] == instrument.resource_name
    assert param(opened["out"]["params"], "*vi") == {
        "name": "*vi", "type": 33, "u32": instrument.session}

    write, read = calls[-2:]
    # The session shows by its resource text, in the hidden parameter before it.
    assert write["in"][:2] == [
        {"name": "dummysesvi", "type": 45, "text": instrument.resource_name},
        {"name": "vi", "type": 33, "u32": instrument.session}]
    assert param(write["in"], "buf")["type"] == 42
    assert data_of(param(write["in"], "*buf")) == b"*IDN?\n"
    assert param(write["in"], "cnt")["u32"] == 6
    assert param(write["out"]["params"], "*retCnt")["u32"] == 6
    assert status_of(write) == StatusCode.success

    assert data_of(param(read["out"]["params"], "*buf")) == IDENTITY + b"\n"
    assert param(read["out"]["params"], "*retCnt")["u32"] == len(IDENTITY) + 1
    assert status_of(read) == StatusCode.success_termination_character_read
    assert "ok" not in read["out"]


def test_every_line_says_when_where_and_how_long(instrument, trace):
    instrument.query("*IDN?")
    for call in read_calls(trace):
        assert TIME.match(call["time"]), call["time"]
        assert call["duration"] >= 0
        assert call["thread"] == threading.get_native_id()
        assert call["process"] == os.getpid()
        # The reader numbers the function by its name.
        assert "id" not in call


def test_made_up_addresses_are_stable_and_not_null(instrument, trace):
    instrument.query("*IDN?")
    instrument.query("*IDN?")
    reads = [call for call in read_calls(trace) if call["function"] == "viRead"]
    pointers = [[entry["u64"] for entry in call["in"] if entry["type"] in (2, 42)]
                for call in reads]
    assert pointers[0] == pointers[1]
    assert all(pointers[0]) and len(set(pointers[0])) == len(pointers[0])


# --- attributes ------------------------------------------------------------------------


def test_an_attribute_set_is_logged_as_its_state(instrument, trace):
    instrument.timeout = 1234
    call = read_calls(trace)[-1]
    assert call["function"] == "viSetAttribute"
    assert param(call["in"], "attrName") == {
        "name": "attrName", "type": 29, "u32": constants.VI_ATTR_TMO_VALUE}
    assert param(call["in"], "attrValue") == {"name": "attrValue", "type": 51, "u64": 1234}


# Each attribute value is logged with the code of the attribute's VISA type.
@pytest.mark.parametrize("attribute, code, key, expected", [
    (constants.VI_ATTR_TMO_VALUE, 1, "u32", TIMEOUT_MS),  # ViUInt32
    (constants.VI_ATTR_TERMCHAR_EN, 21, "u16", 1),  # ViBoolean
    (constants.VI_ATTR_TERMCHAR, 9, "u8", 10),  # ViUInt8
    (constants.VI_ATTR_TCPIP_ADDR, 45, "text", "127.0.0.1"),  # ViString
])
def test_an_attribute_read_is_logged_with_its_type(instrument, trace, attribute, code, key,
                                                   expected):
    instrument.get_visa_attribute(attribute)
    call = read_calls(trace)[-1]
    assert call["function"] == "viGetAttribute"
    assert param(call["in"], "attrValue")["type"] == 52
    assert param(call["out"]["params"], "*attrValue") == {
        "name": "*attrValue", "type": code, key: expected}


def test_an_unsupported_attribute_fails_and_is_logged(instrument, trace):
    with pytest.raises(errors.VisaIOError) as raised:
        instrument.get_visa_attribute(constants.VI_ATTR_GPIB_PRIMARY_ADDR)
    call = read_calls(trace)[-1]
    assert status_of(call) == u32(raised.value.error_code)
    assert call["out"]["ok"] is False


# --- reading and writing -----------------------------------------------------------------


def test_binary_values_arrive_in_reads_that_hold_the_whole_block(instrument, trace):
    assert instrument.query_binary_values("CURV?", datatype="B") == list(WAVEFORM)
    reads = [call for call in read_calls(trace) if call["function"] == "viRead"]
    received = b"".join(data_of(param(call["out"]["params"], "*buf")) for call in reads)
    assert received == b"#3256" + WAVEFORM + b"\n"


def test_termination_on_and_off(instrument, trace):
    instrument.write("*IDN?")
    assert instrument.read_raw() == IDENTITY + b"\n"
    instrument.write("TERM OFF")
    instrument.write("*IDN?")
    assert instrument.read_bytes(len(IDENTITY)) == IDENTITY
    reads = [call for call in read_calls(trace) if call["function"] == "viRead"]
    # Ended on the termination character, then on the count.
    assert [status_of(call) for call in reads] == [
        StatusCode.success_termination_character_read, StatusCode.success_max_count_read]
    assert data_of(param(reads[1]["out"]["params"], "*buf")) == IDENTITY


def test_a_timeout_is_logged_before_it_is_raised(instrument, trace):
    with pytest.raises(errors.VisaIOError) as raised:
        instrument.query("WAIT?")
    assert raised.value.error_code == StatusCode.error_timeout
    call = read_calls(trace)[-1]
    assert call["function"] == "viRead"
    assert status_of(call) == 0xBFFF0015
    assert call["out"]["ok"] is False
    assert call["duration"] >= 0.8 * TIMEOUT_MS / 1000


def test_read_stb_is_not_supported_on_a_socket(instrument, trace):
    with pytest.raises(errors.VisaIOError) as raised:
        instrument.read_stb()
    assert raised.value.error_code == StatusCode.error_nonsupported_operation
    call = read_calls(trace)[-1]
    assert call["function"] == "viReadSTB"
    assert param(call["in"], "status")["type"] == 6
    assert status_of(call) == u32(StatusCode.error_nonsupported_operation)
    assert call["out"]["ok"] is False


# Above the limit, the first and last halves with the real size: 32 KiB
# each from the default limit, 32 bytes below 64 KiB (the boundaries are
# tested with the recorder alone).
@pytest.mark.parametrize("options, size, half", [
    ("", 100_000, 32768),
    (";limit=1000", 1000, None),
    (";limit=1000", 1001, 32),
])
def test_a_buffer_over_the_limit_is_captured_as_head_and_tail(open_manager, simulator, trace,
                                                            options, size, half):
    manager = open_manager(options)
    instrument = manager.open_resource(simulator.resource, write_termination="\n",
                                       timeout=TIMEOUT_MS)
    instrument.write(f"DATA? {size}")
    sent = pattern(size)
    assert instrument.read_bytes(size, chunk_size=size) == sent
    instrument.close()
    read = [call for call in read_calls(trace) if call["function"] == "viRead"][-1]
    entry = param(read["out"]["params"], "*buf")
    assert entry["fullSize"] == size
    if half is None:
        assert data_of(entry) == sent and "truncated" not in entry
    else:
        assert data_of(entry) == sent[:half] + sent[-half:]
        assert entry["truncated"] is True


# --- resources, events ----------------------------------------------------------------------


def test_list_resources_without_a_match_is_a_failed_find(manager, trace):
    assert manager.list_resources("TCPIP?*::SOCKET") == ()
    call = read_calls(trace)[-1]
    assert call["function"] == "viFindRsrc"
    assert param(call["in"], "expr")["text"] == "TCPIP?*::SOCKET"
    assert status_of(call) == u32(StatusCode.error_resource_not_found)
    assert call["out"]["params"] == [{"type": 23, "u32": u32(StatusCode.error_resource_not_found)}]


def test_an_unimplemented_call_is_logged_as_never_returned(instrument, trace):
    # pyvisa-py has no event queue: its exception reaches the program as is.
    with pytest.raises(NotImplementedError):
        instrument.enable_event(constants.EventType.service_request,
                                constants.EventMechanism.queue)
    call = read_calls(trace)[-1]
    assert call["function"] == "viEnableEvent"
    assert "out" not in call and "duration" not in call
    assert param(call["in"], "eventType")["u32"] == constants.VI_EVENT_SERVICE_REQ
    assert param(call["in"], "context")["u32"] == 0


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
        for failing in (lambda: instrument.query("WAIT?"), instrument.read_stb):
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
    # The warning was logged either way.
    reads = [call for call in read_calls(trace) if call["function"] == "viRead"]
    assert [status_of(call) for call in reads[1:3]] == [StatusCode.success_max_count_read] * 2


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


# An unchanged script is recorded through the environment alone.
@pytest.mark.parametrize("library, trace_variable", [
    ("{trace}@vesk", None),
    ("@vesk", "{trace}"),
    (";limit=64@vesk", "{trace}"),
])
def test_an_unchanged_script_is_recorded(tmp_path, simulator, trace, library, trace_variable):
    environment = {"PYVISA_LIBRARY": library.format(trace=trace)}
    if trace_variable:
        environment["PYVISA_VESK_TRACE"] = trace_variable.format(trace=trace)
    finished = run_script(tmp_path, simulator.resource, environment)
    assert finished.returncode == 0, finished.stderr
    assert finished.stdout.strip() == IDENTITY.decode()
    calls = read_calls(trace)
    assert "viWrite" in functions(calls) and "viRead" in functions(calls)
    # Closed at exit by PyVISA's own handler, still recorded.
    assert functions(calls)[-1] == "viClose"
    assert {call["process"] for call in calls} != {os.getpid()}


def test_an_empty_path_without_variable_records_to_the_default_file(tmp_path, simulator):
    finished = run_script(tmp_path, simulator.resource, {"PYVISA_LIBRARY": "@vesk"})
    assert finished.returncode == 0, finished.stderr
    assert "viOpen" in functions(read_calls(tmp_path / "vesk-trace.jsonl"))


def test_a_crash_loses_no_call_that_ended(tmp_path, simulator, trace):
    finished = run_script(tmp_path, simulator.resource,
                          {"PYVISA_LIBRARY": f"{trace}@vesk"}, crash=True)
    assert finished.returncode == -signal.SIGKILL
    calls = read_calls(trace)
    assert functions(calls)[-2:] == ["viWrite", "viRead"]
