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
import operator
import os
import sys
import threading
import time
from json.encoder import encode_basestring_ascii as _quote
from typing import Any, Callable, Dict, List, NamedTuple, Optional, Sequence, Tuple

from pyvisa import attributes
from pyvisa.constants import StatusCode

from .codes import (
    ADDR,
    ARRAY_WIDTHS,
    CHAR_ARRAY,
    SESSION,
    STATUS,
    STRING,
    VALUE_KEYS,
    code_of_visa_type,
)
from .operations import BY_ATTRIBUTE, OPERATIONS, Kind, Operation, Source
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

# How an integer of each value key is cut to its width: mask, then the
# offset that makes it signed.
_WIDTHS = {
    "u8": (0xFF, 0),
    "u16": (0xFFFF, 0),
    "u32": (0xFFFFFFFF, 0),
    "u64": (0xFFFFFFFFFFFFFFFF, 0),
    "i16": (0xFFFF, 0x8000),
    "i32": (0xFFFFFFFF, 0x80000000),
}

_ARRAY_TYPECODES = {1: "B", 2: "H", 4: "I", 8: "Q"}

# Handle texts kept at most, for programs that open sessions without end.
_MOST_HANDLE_TEXTS = 1024
_FAILED = ',"ok":false'

# The codes whose integers are written as they are cut: the value key and
# its width.
_INTEGER_CODES = {
    code: (key, _WIDTHS[key]) for code, key in VALUE_KEYS.items()
    if key in _WIDTHS and code != ADDR}

# The kinds, looked up once (an enumeration member is slow to look up).
_VALUE, _SESSION, _OBJECT = Kind.VALUE, Kind.SESSION, Kind.OBJECT
_IN_BUFFER, _IN_ARRAY, _OUT_VALUE = Kind.IN_BUFFER, Kind.IN_ARRAY, Kind.OUT_VALUE

_native_thread_id = threading.get_native_id
_process_id = os.getpid()


def _forked() -> None:
    global _process_id
    _process_id = os.getpid()


os.register_at_fork(after_in_child=_forked)


def format_time(nanoseconds: int) -> str:
    """RFC 3339 in UTC with nine fractional digits, of nanoseconds since 1970."""
    seconds, fraction = divmod(nanoseconds, 1_000_000_000)
    return "%s.%09dZ" % (_second_text(seconds), fraction)


def _second_text(seconds: int) -> str:
    return time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(seconds))


def _attribute_code(attribute: Any) -> int:
    """The code of a value of `attribute`: that of its VISA type."""
    if type(attribute) is not int:  # an enumeration member hashes slowly
        attribute = _number(attribute) or 0
    code = _ATTRIBUTE_CODES.get(attribute)
    if code is None:
        info = attributes.AttributesByID.get(attribute)
        code = _ATTRIBUTE_CODES[attribute] = code_of_visa_type(info.visa_type if info else None)
    return code


_ATTRIBUTE_CODES: Dict[int, int] = {}


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
            return f'{{"name":"{name}","type":{CHAR_ARRAY},"u64":0}}'
        return f'{{"name":"{name}","type":{code},"text":{_quote(str(value))}}}'
    number = 0 if value is None else _number(value)
    if number is None:
        if code != ADDR:
            return f'{{"name":"{name}","type":{STRING},"text":{_quote(str(value))}}}'
        number = address  # an object of the program: where it would live
    mask, sign = _WIDTHS[key]
    return f'{{"name":"{name}","type":{code},"{key}":{((number + sign) & mask) - sign}}}'


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


def _data_entry(name: str, code: int, value: Any, limit: int) -> Optional[str]:
    """The entry of the data a pointer points to: whole up to `limit` bytes,
    else head and tail with the real size. None: no data to show."""
    data = _as_bytes(code, value)
    if data is None:
        return None
    size = len(data)
    truncated = ""
    if size > limit:
        half = LONG_HALF if limit >= 2 * LONG_HALF else SHORT_HALF
        data = data[:half] + data[-half:]
        truncated = ',"truncated":true'
    try:
        shown = '"text":' + _quote(data.decode("utf-8"))
    except UnicodeDecodeError:
        shown = f'"hex":"{data.hex()}"'
    return (f'{{"name":"{name}","type":{code},{shown}{truncated},'
            f'"fullSize":{min(size, _LARGEST_SIZE)}}}')


def _refiner(source: Source) -> Optional[Callable[[Any], Any]]:
    """What turns the value found at `source` into the one logged."""
    if source.field and source.length:
        return lambda found: len(getattr(found, source.field))
    if source.field:
        return operator.attrgetter(source.field)
    if source.length:
        return len
    return None


class _Step(NamedTuple):
    """A parameter of an operation, prepared for writing: where its value is
    (`place` 0 nowhere, 1 the arguments, 2 the returned values), and the
    fixed texts of its entries."""

    kind: Kind
    name: str
    code: int
    place: int
    index: int
    refine: Optional[Callable[[Any], Any]]
    head: str  # VALUE: the entry up to its number; pointers: the whole pointer entry
    data_name: str
    value_code: int
    address: int
    width: Optional[Tuple[int, int]]  # VALUE of an integer code: its mask and sign


class _Plan(NamedTuple):
    operation: Operation
    steps: Tuple[_Step, ...]
    opens_or_closes: bool
    # The start of a line, up to the time, for the function and for the
    # variant with 64-bit bus addresses.
    prefix: str
    extended_prefix: str


@functools.lru_cache(maxsize=None)
def _plan(name: str) -> _Plan:
    """Operation `name`, its parameters prepared: made-up addresses, fixed
    texts, value places."""
    operation = OPERATIONS[name]
    frame = _ADDRESS_BASE + _FRAME_SIZE * list(OPERATIONS).index(name)
    steps = []
    for position, param in enumerate(operation.params):
        address = frame + _PARAM_SIZE * (position + 1)
        source = param.source
        place = 0 if source is None else (1 if source.place == "arg" else 2)
        key = VALUE_KEYS.get(param.code)
        if param.kind is Kind.VALUE:
            head = f'{{"name":"{param.name}","type":{param.code},"{key}":'
        elif param.kind is Kind.SESSION or param.kind is Kind.OBJECT:
            head = f'{{"name":"dummyses{param.name}","type":{STRING},"text":'
        else:
            head = f'{{"name":"{param.name}","type":{param.code},"u64":{address}}}'
        in_place = param.kind is Kind.IN_ARRAY or param.kind is Kind.OUT_ARRAY
        width = _INTEGER_CODES[param.code][1] if (
            param.kind is Kind.VALUE and param.code in _INTEGER_CODES) else None
        steps.append(_Step(
            param.kind, param.name, param.code, place, source.index if source else 0,
            _refiner(source) if source else None, head,
            param.name if in_place else "*" + param.name, param.value_code, address, width))
    return _Plan(operation, tuple(steps), bool(operation.opens or operation.closes),
                 f'{{"function":"{operation.function}","time":"',
                 f'{{"function":"{operation.extended}","time":"')


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
        self._names: Dict[Any, str] = {}  # session -> its resource text, quoted
        self._kinds: Dict[Any, int] = {}  # handle -> the code of what it is
        self._find_lists = itertools.count(_FIRST_FIND_LIST)
        # The text of the last second a time was written in, with the second.
        self._second: Tuple[int, str] = (-1, "")
        # The entries of handle parameters as last written, by the fixed
        # text of the parameter, the handle and the kind: the same for every call on
        # a session.
        self._handle_texts: Dict[Tuple[str, Any, bool], str] = {}

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
        if not isinstance(status, int):
            status = None
        plan = _plan(name)
        self.trace.write_line(self._line(plan, args, outputs, status, True, started, duration))
        if plan.opens_or_closes and status is not None and status >= 0:
            self._remember(plan.operation, args, outputs)

    def record_unreturned(self, name: str, args: Sequence[Any], started: int) -> None:
        """Logs a call of operation `name` that raised instead of returning."""
        self.trace.write_line(self._line(_plan(name), args, (), None, False, started, 0))

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
        # The texts of handles change with what is open.
        self._handle_texts.clear()
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

    def _handle_entries(self, kind: Kind, name: str, head: str, handle: Any) -> str:
        """The entries of a handle parameter: the hidden resource text of a
        session, when known, and the handle with the code of what it is."""
        code = self._kinds.get(handle, SESSION) if kind is _OBJECT else SESSION
        entry = _value_entry(name, code, handle, 0)
        text = self._names.get(handle) if code == SESSION else None
        if text is not None:
            entry = f"{head}{text}}},{entry}"
        if len(self._handle_texts) < _MOST_HANDLE_TEXTS:
            self._handle_texts[(head, handle, kind is _OBJECT)] = entry
        return entry

    def _line(
        self,
        plan: _Plan,
        args: Sequence[Any],
        outputs: Sequence[Any],
        status: Optional[int],
        returned: bool,
        started: int,
        duration: int,
    ) -> str:
        prefix = plan.prefix
        flag = plan.operation.extended_arg
        if flag >= 0 and flag < len(args) and args[flag]:
            prefix = plan.extended_prefix
        entries, results = self._entries(plan, args, outputs, returned)
        seconds, fraction = divmod(started, 1_000_000_000)
        second = self._second
        if second[0] != seconds:
            second = self._second = (seconds, _second_text(seconds))
        if not returned:
            return (f'{prefix}{second[1]}.{fraction:09d}Z","thread":{_native_thread_id()}'
                    f',"process":{_process_id},"in":[{",".join(entries)}]}}\n')
        line = (f'{prefix}{second[1]}.{fraction:09d}Z","duration":{duration / 1e9:.9f}'
                f',"thread":{_native_thread_id()},"process":{_process_id}'
                f',"in":[{",".join(entries)}]')
        if status is None:
            return f'{line},"out":{{"params":[{",".join(results)}]}}}}\n'
        results.append(f'{{"type":{STATUS},"u32":{status & 0xFFFFFFFF}}}')
        return (f'{line},"out":{{"params":[{",".join(results)}],"ret":{len(results) - 1}'
                f'{_FAILED if status < 0 else ""}}}}}\n')

    def _entries(
        self, plan: _Plan, args: Sequence[Any], outputs: Sequence[Any], returned: bool
    ) -> Tuple[List[str], List[str]]:
        """The entries of the parameters on entry, and on return."""
        entries: List[str] = []
        results: List[str] = []
        for kind, name, code, place, index, refine, head, data_name, value_code, address, width in (
                plan.steps):
            value = None
            if place:
                values = args if place == 1 else outputs
                if index < len(values):
                    value = values[index]
                    if refine is not None and value is not None:
                        value = refine(value)
            if kind is _VALUE:
                if width is not None and isinstance(value, int):
                    mask, sign = width
                    entries.append(f"{head}{((value + sign) & mask) - sign}}}")
                else:
                    entries.append(_value_entry(name, code, value, address))
            elif kind is _SESSION or kind is _OBJECT:
                handle_entries = self._handle_texts.get((head, value, kind is _OBJECT))
                if handle_entries is None:
                    handle_entries = self._handle_entries(kind, name, head, value)
                entries.append(handle_entries)
            else:
                entries.append(head)  # the pointer
                if kind is _IN_BUFFER or kind is _IN_ARRAY:
                    entry = _data_entry(data_name, code, value, self.limit)
                    if entry is not None:
                        entries.append(entry)
                elif returned and value is not None:
                    if kind is _OUT_VALUE:
                        if value_code == BY_ATTRIBUTE:
                            value_code = _attribute_code(args[1])
                        results.append(_value_entry(data_name, value_code, value, address))
                    else:
                        entry = _data_entry(data_name, code, value, self.limit)
                        if entry is not None:
                            results.append(entry)
        return entries, results


def _resolve(source: Optional[Source], args: Sequence[Any], outputs: Sequence[Any]) -> Any:
    if source is None:
        return None
    values = args if source.place == "arg" else outputs
    if source.index >= len(values):
        return None
    found = values[source.index]
    refine = _refiner(source)
    return found if refine is None or found is None else refine(found)
