"""The capture lines the recorder writes for given calls, without a backend."""

import json

import pytest
from pyvisa import constants
from pyvisa.constants import StatusCode

from conftest import data_of, functions, param
from pyvisa_vesk.capture import Recorder, format_time

STARTED = 1_796_500_000_123_456_789  # 2026-12-05T19:46:40.123456789Z
SUCCESS = StatusCode.success


class Lines(list):
    """Stands in for the capture file: the lines written, and their calls."""

    write_line = list.append

    @property
    def calls(self):
        return [json.loads(line) for line in self]


@pytest.fixture
def lines() -> Lines:
    return Lines()


@pytest.fixture
def recorder(lines) -> Recorder:
    return Recorder(lines)


def record(recorder, lines, name, args, outputs=(), status=SUCCESS):
    recorder.record(name, args, outputs, status, STARTED, 1500)
    return lines.calls[-1]


# --- values -------------------------------------------------------------------------


# A value is written in the width and sign of its VISA type, whatever
# Python integer it was given.
@pytest.mark.parametrize("name, args, entry", [
    ("out_8", (1, 1, 0, 300), {"name": "val8", "type": 9, "u8": 44}),
    ("out_16", (1, 1, 0, -1), {"name": "val16", "type": 5, "u16": 0xFFFF}),
    ("out_32", (1, 1, 0, 2**32 + 5), {"name": "val32", "type": 1, "u32": 5}),
    ("out_64", (1, 1, 0, -1), {"name": "val64", "type": 95, "u64": 2**64 - 1}),
    ("map_trigger", (1, 0xFFFF, 2, None), {"name": "trigSrc", "type": 7, "i16": -1}),
    ("map_trigger", (1, 0x7FFF, 2, None), {"name": "trigSrc", "type": 7, "i16": 32767}),
    ("map_trigger", (1, 3, 2, None), {"name": "mode", "type": 5, "u16": 0}),
    ("status_description", (1, StatusCode.error_timeout),
     {"name": "status", "type": 23, "u32": 0xBFFF0015}),
    ("map_address", (1, 1, 0, 16, True, None), {"name": "access", "type": 21, "u16": 1}),
    ("map_address", (1, 1, 0, 16, False, 0x1000), {"name": "suggested", "type": 15, "u64": 4096}),
    ("set_attribute", (1, constants.VI_ATTR_TMO_VALUE, 2000.0),
     {"name": "attrValue", "type": 51, "u64": 2000}),
    # A value that is no number is shown as its text.
    ("set_attribute", (1, constants.VI_ATTR_TMO_VALUE, "fast"),
     {"name": "attrValue", "type": 45, "text": "fast"}),
    # No text: a null pointer.
    ("lock", (1, constants.AccessModes.shared_lock, 10, None),
     {"name": "requestedKey", "type": 14, "u64": 0}),
    ("lock", (1, constants.AccessModes.shared_lock, 10, "key"),
     {"name": "requestedKey", "type": 45, "text": "key"}),
])
def test_values_are_written_in_their_type(recorder, lines, name, args, entry):
    call = record(recorder, lines, name, args)
    assert param(call["in"], entry["name"]) == entry


# The value of an attribute is written in the attribute's own type.
@pytest.mark.parametrize("attribute, value, entry", [
    (constants.VI_ATTR_TMO_VALUE, 2000, {"type": 1, "u32": 2000}),
    (constants.VI_ATTR_TERMCHAR_EN, True, {"type": 21, "u16": 1}),
    (constants.VI_ATTR_TERMCHAR, 10, {"type": 9, "u8": 10}),
    (constants.VI_ATTR_GPIB_PRIMARY_ADDR, 7, {"type": 5, "u16": 7}),
    (constants.VI_ATTR_TRIG_ID, -1, {"type": 7, "i16": -1}),
    (constants.VI_ATTR_RSRC_SPEC_VERSION, 0x00500800, {"type": 25, "u32": 0x00500800}),
    (constants.VI_ATTR_RSRC_MANF_NAME, "Vesk", {"type": 45, "text": "Vesk"}),
    (constants.VI_ATTR_MEM_BASE_64, 2**40, {"type": 51, "u64": 2**40}),
    (0x3FFF7777, 5, {"type": 51, "u64": 5}),  # unknown to PyVISA
])
def test_an_attribute_value_has_the_attributes_type(recorder, lines, attribute, value, entry):
    call = record(recorder, lines, "get_attribute", (1, attribute), (value,))
    assert param(call["out"]["params"], "*attrValue") == {"name": "*attrValue", **entry}


# --- buffers --------------------------------------------------------------------------


# Whole up to the limit; above it the first and last halves: 32768 bytes
# from a limit of 64 KiB up, else 32 bytes.
@pytest.mark.parametrize("limit, size, half", [
    (65536, 65536, None),
    (65536, 65537, 32768),
    (64, 64, None),
    (64, 65, 32),
    (65535, 65536, 32),
])
def test_buffers_over_the_limit_keep_head_and_tail(lines, limit, size, half):
    data = bytes(index % 251 for index in range(size))
    recorder = Recorder(lines, limit)
    call = record(recorder, lines, "write", (1, data), (size,))
    entry = param(call["in"], "*buf")
    assert entry["fullSize"] == size
    if half is None:
        assert data_of(entry) == data and "truncated" not in entry
    else:
        assert data_of(entry) == data[:half] + data[-half:] and entry["truncated"] is True


# Bytes that are UTF-8 stay readable text; others are hexadecimal.
@pytest.mark.parametrize("data, key", [
    (b"MEAS:VOLT? 5 \xc2\xb5V\r\n\x00", "text"),
    (b"\xff\x00\x80", "hex"),
    (b"", "text"),
])
def test_buffer_bytes_survive_as_text_or_hex(recorder, lines, data, key):
    call = record(recorder, lines, "read", (1, 100), (data,))
    entry = param(call["out"]["params"], "*buf")
    assert key in entry and data_of(entry) == data
    assert param(call["out"]["params"], "*retCnt")["u32"] == len(data)
    assert lines[-1].isascii() and lines[-1].count("\n") == 1


def test_a_head_cut_inside_a_character_is_kept_as_hex(lines):
    data = "µ".encode() * 40  # the head ends inside a character
    call = record(Recorder(lines, 64), lines, "write", (1, data[1:]), (79,))
    entry = param(call["in"], "*buf")
    assert "hex" in entry and data_of(entry) == data[1:33] + data[-32:]


# Arrays are written element by element, little-endian, in their width.
@pytest.mark.parametrize("bits, code, values, hex_text", [
    (8, 10, [1, 0x1FF], "01ff"),
    (16, 6, [1, -1], "0100ffff"),
    (32, 2, [0x01020304], "04030201"),
    (64, 96, [1], "0100000000000000"),
])
def test_register_arrays_are_packed_in_their_width(recorder, lines, bits, code, values, hex_text):
    moved_out = record(recorder, lines, f"move_out_{bits}", (1, 1, 0, len(values), values, False))
    moved_in = record(recorder, lines, f"move_in_{bits}", (1, 1, 0, len(values), False), (values,))
    for entries in (moved_out["in"], moved_in["out"]["params"]):
        array = [entry for entry in entries if entry.get("name") == f"buf{bits}"][-1]
        assert array["type"] == code and data_of(array) == bytes.fromhex(hex_text)
    # The address and the array have the same code, so the array is a buffer.
    assert param(moved_in["in"], f"buf{bits}")["type"] == code


@pytest.mark.parametrize("name, args, function", [
    ("in_8", (1, 1, 0, False), "viIn8"),
    ("in_8", (1, 1, 0, True), "viIn8Ex"),
    ("move_out_64", (1, 1, 0, 1, [1], True), "viMoveOut64Ex"),
    ("memory_free", (1, 0x100, True), "viMemFreeEx"),
    ("memory_allocation", (1, 0x100), "viMemAlloc"),
])
def test_the_extended_flag_chooses_the_64_bit_function(recorder, lines, name, args, function):
    assert record(recorder, lines, name, args, (0,))["function"] == function


# --- sessions, events, find lists --------------------------------------------------------


def test_a_session_shows_by_its_resource_text_while_open(recorder, lines):
    record(recorder, lines, "open", (9, "GPIB0::7::INSTR", 0, 0), (4242,))
    assert record(recorder, lines, "clear", (4242,))["in"] == [
        {"name": "dummysesvi", "type": 45, "text": "GPIB0::7::INSTR"},
        {"name": "vi", "type": 33, "u32": 4242}]
    # The resource manager has no resource text.
    assert record(recorder, lines, "open", (9, "GPIB0::8::INSTR", 0, 0), (4243,))["in"][0] == {
        "name": "sesn", "type": 33, "u32": 9}
    closed = record(recorder, lines, "close", (4242,))
    assert closed["in"][0]["text"] == "GPIB0::7::INSTR"
    assert record(recorder, lines, "clear", (4242,))["in"] == [
        {"name": "vi", "type": 33, "u32": 4242}]


def test_a_failed_open_or_close_changes_nothing(recorder, lines):
    record(recorder, lines, "open", (9, "GPIB0::7::INSTR", 0, 0), (4242,),
           StatusCode.error_resource_not_found)
    assert len(record(recorder, lines, "clear", (4242,))["in"]) == 1
    record(recorder, lines, "open", (9, "GPIB0::7::INSTR", 0, 0), (4242,))
    record(recorder, lines, "close", (4242,), (), StatusCode.error_invalid_object)
    assert len(record(recorder, lines, "clear", (4242,))["in"]) == 2


def test_an_event_context_is_an_event_until_closed(recorder, lines):
    record(recorder, lines, "wait_on_event",
           (5, constants.EventType.service_request, 1000),
           (constants.EventType.service_request, 77))
    assert record(recorder, lines, "get_attribute", (77, constants.VI_ATTR_EVENT_TYPE),
                  (constants.VI_EVENT_SERVICE_REQ,))["in"][0] == {
        "name": "vi", "type": 37, "u32": 77}
    assert record(recorder, lines, "close", (77,))["in"][0]["type"] == 37
    assert record(recorder, lines, "close", (77,))["in"][0]["type"] == 33


def test_list_resources_is_a_find_list_walked_and_closed(recorder, lines):
    found = ("GPIB0::1::INSTR", "GPIB0::2::INSTR", "GPIB0::3::INSTR")
    recorder.record_find((9, "?*::INSTR"), found, None, STARTED, 2000)
    calls = lines.calls
    assert functions(calls) == ["viFindRsrc", "viFindNext", "viFindNext", "viClose"]
    outputs = calls[0]["out"]["params"]
    find_list = param(outputs, "*findList")["u32"]
    assert find_list != 0 and param(outputs, "*findList")["type"] == 35
    assert param(outputs, "*retcnt")["u32"] == 3
    assert param(outputs, "instrDesc")["text"] == found[0]
    for call, description in zip(calls[1:3], found[1:]):
        assert call["in"][0] == {"name": "findList", "type": 35, "u32": find_list}
        assert param(call["out"]["params"], "instrDesc")["text"] == description
    assert calls[3]["in"] == [{"name": "vi", "type": 35, "u32": find_list}]
    # The walk is logged when the search has ended, taking no time.
    assert [call["time"] for call in calls[1:]] == [format_time(STARTED + 2000)] * 3
    assert [call["duration"] for call in calls] == [2e-6, 0, 0, 0]


@pytest.mark.parametrize("status, expected", [
    (None, StatusCode.error_resource_not_found),
    (StatusCode.error_invalid_object, StatusCode.error_invalid_object),
])
def test_a_search_without_a_match_is_one_failed_find(recorder, lines, status, expected):
    recorder.record_find((9, "USB?*"), (), status, STARTED, 2000)
    (call,) = lines.calls
    assert call["out"] == {"params": [{"type": 23, "u32": expected & 0xFFFFFFFF}], "ret": 0,
                           "ok": False}


# --- calls that did not return, or returned no status -------------------------------------


def test_a_call_that_raised_has_no_output_and_no_duration(recorder, lines):
    recorder.record_unreturned("read", (1, 100), STARTED)
    (call,) = lines.calls
    assert "out" not in call and "duration" not in call
    assert param(call["in"], "cnt")["u32"] == 100
    assert "*buf" not in [entry.get("name") for entry in call["in"]]


def test_a_call_without_status_has_output_without_status(recorder, lines):
    call = record(recorder, lines, "disable_event",
                  (1, constants.EventType.service_request, 1), (), None)
    assert call["out"] == {"params": []}


# Addresses the program never showed are made up: distinct, non-zero and
# the same every call; an object of the program gets one, None is null.
def test_made_up_addresses(recorder, lines):
    first = record(recorder, lines, "usb_control_in", (1, 0xC0, 6, 0x100, 0, 18), (b"\x12\x01",))
    second = record(recorder, lines, "usb_control_in", (1, 0xC0, 6, 0x100, 0, 18), (b"\x12",))
    pointers = [entry["u64"] for entry in first["in"] if entry["type"] in (6, 42)]
    assert len(set(pointers)) == 2 and all(pointers)
    assert [entry["u64"] for entry in second["in"] if entry["type"] in (6, 42)] == pointers
    call = record(recorder, lines, "install_handler",
                  (1, constants.EventType.service_request, print, None), (print, None, None))
    assert param(call["in"], "handler")["u64"] != 0
    assert param(call["in"], "userHandle") == {"name": "userHandle", "type": 15, "u64": 0}


# --- time and limits ----------------------------------------------------------------------


@pytest.mark.parametrize("nanoseconds, text", [
    (0, "1970-01-01T00:00:00.000000000Z"),
    (1_000_000_001, "1970-01-01T00:00:01.000000001Z"),
    (STARTED, "2026-12-05T19:46:40.123456789Z"),
])
def test_times_are_rfc3339_in_utc_to_the_nanosecond(nanoseconds, text):
    assert format_time(nanoseconds) == text


@pytest.mark.parametrize("limit", [63, 0, -1])
def test_a_limit_below_64_bytes_is_refused(lines, limit):
    with pytest.raises(ValueError, match="at least 64"):
        Recorder(lines, limit)
