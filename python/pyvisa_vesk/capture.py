"""Turns one low-level call into one capture line, by its row of `OPERATIONS`.

A line holds the VISA function, when the call started (`time`), how long it
took (`duration`), the native thread and process ids, every parameter of
the C prototype on entry (`in`) and, for a call that returned, the output
parameters and the status (`out`). The format is described in
examples/README.md of the repository.

Pointer parameters get made-up addresses: the same for the same parameter
of the same function in every call and every run, never zero (zero shows as
NULL). Handles are those of the backend; find lists, which PyVISA does not
expose, get made-up handles too.
"""

import array
import functools
import itertools
import math
import os
import sys
import threading
import time
from json.encoder import encode_basestring_ascii as _quote
from typing import Any, Dict, List, Optional, Sequence, Tuple

from pyvisa import attributes
from pyvisa.constants import StatusCode

from .codes import (
    ADDR,
    ARRAY_WIDTHS,
    CHAR_ARRAY,
    SESSION,
    STRING,
    VALUE_KEYS,
    code_of_visa_type,
)
from .operations import BY_ATTRIBUTE, OPERATIONS, Kind, Operation, Param, Source
from .tracefile import TraceFile

# Buffers above the limit are captured as head and tail of one of these
# sizes: the dump shows a 64-byte capture as 32 + 32 bytes and any other as
# 32768 + 32768 bytes, so only these two place the tail at its real offset.
SHORT_HALF = 32
LONG_HALF = 32768
SMALLEST_LIMIT = 2 * SHORT_HALF
DEFAULT_LIMIT = 2 * LONG_HALF

# The largest size a capture line may state.
_LARGEST_SIZE = 2**31 - 1

# Made-up addresses: in a range that looks like a stack, a 256-byte frame
# per operation and 16 bytes per parameter.
_ADDRESS_BASE = 0x00007FFC_A0000000
_FRAME_SIZE = 0x100
_PARAM_SIZE = 0x10

# Made-up find list handles.
_FIRST_FIND_LIST = 0x7FF00001

_WRAP = {
    "u8": (0xFF, 0),
    "u16": (0xFFFF, 0),
    "u32": (0xFFFFFFFF, 0),
    "u64": (0xFFFFFFFFFFFFFFFF, 0),
    "i16": (0xFFFF, 0x8000),
    "i32": (0xFFFFFFFF, 0x80000000),
}

_ARRAY_TYPECODES = {1: "B", 2: "H", 4: "I", 8: "Q"}


def format_time(nanoseconds: int) -> str:
    """RFC 3339 in UTC with nine fractional digits, of nanoseconds since 1970."""
    seconds, fraction = divmod(nanoseconds, 1_000_000_000)
    return "%s.%09dZ" % (_second_text(seconds), fraction)


@functools.lru_cache(maxsize=4)
def _second_text(seconds: int) -> str:
    return time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(seconds))


@functools.lru_cache(maxsize=None)
def _attribute_code(attribute: int) -> int:
    info = attributes.AttributesByID.get(attribute)
    return code_of_visa_type(info.visa_type if info else None)


def _resolve(source: Optional[Source], args: Sequence[Any], outputs: Sequence[Any]) -> Any:
    if source is None:
        return None
    values = args if source.place == "arg" else outputs
    if source.index >= len(values):
        return None
    found = values[source.index]
    if found is not None and source.field:
        found = getattr(found, source.field, None)
    if found is not None and source.length:
        found = len(found)
    return found


def _number(value: Any) -> Optional[int]:
    if isinstance(value, int):
        return value
    if isinstance(value, float) and math.isfinite(value) and value.is_integer():
        return int(value)
    return None


def _value_entry(name: str, code: int, value: Any, address: int) -> str:
    """The entry of a value of `code`. A value that does not fit the code
    is logged as its text; a missing text as a null pointer."""
    key = VALUE_KEYS[code]
    if key == "text":
        if value is None:
            return '{"name":"%s","type":%d,"u64":0}' % (name, CHAR_ARRAY)
        return '{"name":"%s","type":%d,"text":%s}' % (name, code, _quote(str(value)))
    number = 0 if value is None else _number(value)
    if number is None:
        if code != ADDR:
            return '{"name":"%s","type":%d,"text":%s}' % (name, STRING, _quote(str(value)))
        number = address  # an object of the program: where it would live
    mask, sign = _WRAP[key]
    number = ((number + sign) & mask) - sign
    return '{"name":"%s","type":%d,"%s":%d}' % (name, code, key, number)


def _as_bytes(code: int, value: Any) -> Optional[bytes]:
    if isinstance(value, (bytes, bytearray, memoryview)):
        return bytes(value)
    if isinstance(value, str):
        return value.encode("utf-8", "surrogateescape")
    width = ARRAY_WIDTHS.get(code)
    if width and isinstance(value, (list, tuple)):
        mask = (1 << (8 * width)) - 1
        packed = array.array(_ARRAY_TYPECODES[width], (int(v) & mask for v in value))
        if sys.byteorder != "little":
            packed.byteswap()
        return packed.tobytes()
    try:
        return bytes(value)
    except (TypeError, ValueError):
        return None


def _data_entry(name: str, code: int, data: bytes, limit: int) -> str:
    """The entry of the data a pointer points to: whole up to `limit` bytes,
    else head and tail with the real size."""
    size = len(data)
    truncated = size > limit
    if truncated:
        half = LONG_HALF if limit >= 2 * LONG_HALF else SHORT_HALF
        data = data[:half] + data[-half:]
    try:
        value = '"text":' + _quote(data.decode("utf-8"))
    except UnicodeDecodeError:
        value = '"hex":"' + data.hex() + '"'
    return '{"name":"%s","type":%d,%s%s,"fullSize":%d}' % (
        name, code, value, ',"truncated":true' if truncated else "", min(size, _LARGEST_SIZE))


def _status_number(status: Any) -> Optional[int]:
    return status if isinstance(status, int) else None


class Recorder:
    """Writes the capture lines of one library object to its capture file.

    Keeps what a line needs beyond the call itself: the resource text of
    each open session and what each open handle is (session, event or find
    list). Safe to use from several threads at once.
    """

    def __init__(self, trace: TraceFile, limit: int = DEFAULT_LIMIT) -> None:
        if limit < SMALLEST_LIMIT:
            raise ValueError(f"limit must be at least {SMALLEST_LIMIT} bytes, not {limit}")
        self.trace = trace
        self.limit = limit
        self._names: Dict[int, str] = {}  # session -> its resource text, quoted
        self._kinds: Dict[int, int] = {}  # handle -> the code of what it is
        self._find_lists = itertools.count(_FIRST_FIND_LIST)

    def record(
        self,
        name: str,
        args: Sequence[Any],
        outputs: Sequence[Any],
        status: Any,
        started: int,
        duration: int,
    ) -> None:
        """Logs a call of operation `name` that returned `outputs` and
        `status` (None: the backend gave no status)."""
        operation = OPERATIONS[name]
        status = _status_number(status)
        self.trace.write_line(
            self._line(name, operation, args, outputs, status, True, started, duration))
        if status is not None and status >= 0:
            self._remember(operation, args, outputs)

    def record_unreturned(self, name: str, args: Sequence[Any], started: int) -> None:
        """Logs a call of operation `name` that raised instead of returning."""
        self.trace.write_line(
            self._line(name, OPERATIONS[name], args, (), None, False, started, 0))

    def record_find(
        self,
        args: Sequence[Any],
        found: Sequence[str],
        status: Optional[int],
        started: int,
        duration: int,
    ) -> None:
        """Logs list_resources as the VISA calls it stands for: viFindRsrc,
        viFindNext for each further match and viClose of the find list.
        `status` is None for a search that found `found`, else the error
        status it raised."""
        if status is None:
            status = StatusCode.success if found else StatusCode.error_resource_not_found
        find_list = next(self._find_lists) if found else None
        outputs = (find_list, len(found), found[0]) if found else ()
        self.record("list_resources", args, outputs, status, started, duration)
        if not found:
            return
        ended = started + duration
        for description in found[1:]:
            self.record("find_next", (find_list,), (description,), StatusCode.success, ended, 0)
        self.record("close", (find_list,), (), StatusCode.success, ended, 0)

    def _remember(self, operation: Operation, args: Sequence[Any], outputs: Sequence[Any]) -> None:
        opens = operation.opens
        if opens is not None:
            handle = _resolve(opens.handle, args, outputs)
            if isinstance(handle, int):
                self._kinds[handle] = opens.code
                if opens.name is not None:
                    self._names[handle] = _quote(str(_resolve(opens.name, args, outputs)))
        if operation.closes is not None:
            handle = _resolve(operation.closes, args, outputs)
            self._names.pop(handle, None)
            self._kinds.pop(handle, None)

    def _handle_entries(self, param: Param, handle: Any, entries: List[str]) -> None:
        code = SESSION
        if param.kind is Kind.OBJECT:
            code = self._kinds.get(handle, SESSION)
        if code == SESSION:
            text = self._names.get(handle)
            if text is not None:
                entries.append('{"name":"dummyses%s","type":45,"text":%s}' % (param.name, text))
        entries.append(_value_entry(param.name, code, handle, 0))

    def _line(
        self,
        name: str,
        operation: Operation,
        args: Sequence[Any],
        outputs: Sequence[Any],
        status: Optional[int],
        returned: bool,
        started: int,
        duration: int,
    ) -> str:
        function = operation.function
        flag = operation.extended_arg
        if 0 <= flag < len(args) and args[flag]:
            function = operation.extended
        limit = self.limit
        entries: List[str] = []
        results: List[str] = []
        for param, address in _addresses(name):
            kind = param.kind
            if kind is Kind.VALUE:
                value = _resolve(param.source, args, outputs)
                entries.append(_value_entry(param.name, param.code, value, address))
                continue
            if kind is Kind.SESSION or kind is Kind.OBJECT:
                self._handle_entries(param, _resolve(param.source, args, outputs), entries)
                continue
            entries.append('{"name":"%s","type":%d,"u64":%d}' % (param.name, param.code, address))
            data_name = param.name if kind is Kind.IN_ARRAY or kind is Kind.OUT_ARRAY else (
                "*" + param.name)
            if kind is Kind.IN_BUFFER or kind is Kind.IN_ARRAY:
                data = _as_bytes(param.code, _resolve(param.source, args, outputs))
                if data is not None:
                    entries.append(_data_entry(data_name, param.code, data, limit))
                continue
            if not returned:
                continue
            value = _resolve(param.source, args, outputs)
            if value is None:
                continue
            if kind is Kind.OUT_VALUE:
                code = param.value_code
                if code == BY_ATTRIBUTE:
                    code = _attribute_code(_number(args[1]) or 0)
                results.append(_value_entry(data_name, code, value, address))
            else:
                data = _as_bytes(param.code, value)
                if data is not None:
                    results.append(_data_entry(data_name, param.code, data, limit))
        line = '{"function":"%s","time":"%s"' % (function, format_time(started))
        if returned:
            line += ',"duration":%.9f' % (duration / 1e9)
        line += ',"thread":%d,"process":%d,"in":[%s]' % (
            threading.get_native_id(), os.getpid(), ",".join(entries))
        if returned:
            if status is not None:
                results.append('{"type":23,"u32":%d}' % (status & 0xFFFFFFFF))
                line += ',"out":{"params":[%s],"ret":%d%s}' % (
                    ",".join(results), len(results) - 1, ',"ok":false' if status < 0 else "")
            else:
                line += ',"out":{"params":[%s]}' % ",".join(results)
        return line + "}\n"


@functools.lru_cache(maxsize=None)
def _addresses(name: str) -> Tuple[Tuple[Param, int], ...]:
    """The parameters of operation `name`, each with its made-up address."""
    frame = _ADDRESS_BASE + _FRAME_SIZE * list(OPERATIONS).index(name)
    return tuple(
        (param, frame + _PARAM_SIZE * (index + 1))
        for index, param in enumerate(OPERATIONS[name].params))

