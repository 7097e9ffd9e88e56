"""Which VISA function each low-level PyVISA operation is, and how it is logged.

`OPERATIONS` maps the name of a `VisaLibraryBase` operation to its VISA
function and the parameters of the function's C prototype, in order, each
with its data type code (`codes`) and where its value comes from: an
argument of the Python call (`arg`) or a returned value (`out`). The
recorder (`capture`) walks a row in one loop; nothing else about an
operation is written down anywhere.

How each kind of parameter is logged:

- VALUE: the value, on entry.
- SESSION: an instrument session: the hidden parameter that carries the
  session's resource text (when it is known), then the handle.
- OBJECT: a session, event or find list; its code follows what the handle
  was opened as.
- IN_BUFFER, IN_ARRAY: the address, then the data it points to, on entry;
  a pointer's data is named "*name", an array's keeps the array's name.
- OUT_VALUE, OUT_BUFFER, OUT_ARRAY: the address on entry, and the value or
  data on return (named the same way).
"""

import enum
from typing import Dict, NamedTuple, Optional, Tuple

from .codes import (
    ACCESS_MODE,
    ADDR,
    ATTR,
    ATTR_STATE,
    BOOLEAN,
    BUF,
    BUS_ADDRESS,
    CHAR_ARRAY,
    EVENT,
    EVENT_TYPE,
    FIND_LIST,
    INT16,
    PADDR,
    PATTR_STATE,
    PBUS_ADDRESS,
    PEVENT,
    PEVENT_TYPE,
    PFIND_LIST,
    PSESSION,
    PUINT8,
    PUINT16,
    PUINT32,
    PUINT64,
    SESSION,
    STATUS,
    STRING,
    UINT8,
    UINT16,
    UINT32,
    UINT64,
)


class Kind(enum.Enum):
    VALUE = "value"
    SESSION = "session"
    OBJECT = "object"
    IN_BUFFER = "in buffer"
    IN_ARRAY = "in array"
    OUT_VALUE = "out value"
    OUT_BUFFER = "out buffer"
    OUT_ARRAY = "out array"


class Source(NamedTuple):
    """Where a value comes from: an argument or a returned value, by position
    (the session is argument 0; the status is not among the returned values),
    optionally a field of it, or its length."""

    place: str  # "arg" or "out"
    index: int
    field: Optional[str] = None
    length: bool = False


def arg(index: int) -> Source:
    return Source("arg", index)


def out(index: int) -> Source:
    return Source("out", index)


def length_of(source: Source) -> Source:
    return source._replace(length=True)


def field_of(source: Source, name: str) -> Source:
    return source._replace(field=name)


# The value code of an attribute value: the VISA type of the attribute that
# the call names in its argument 1.
BY_ATTRIBUTE = -1


class Param(NamedTuple):
    name: str
    kind: Kind
    code: int  # of the value; for the pointer and array kinds, of the pointer
    source: Optional[Source] = None
    value_code: int = 0  # OUT_VALUE: of the value pointed to


class Opens(NamedTuple):
    """A handle that a successful call opens: a session (with its resource
    text), an event or a find list."""

    code: int
    handle: Source
    name: Optional[Source] = None


class Operation(NamedTuple):
    function: str
    params: Tuple[Param, ...]
    # The function when the argument at `extended_arg` (PyVISA's `extended`
    # flag) is true: the variant with 64-bit bus addresses.
    extended: Optional[str] = None
    extended_arg: int = -1
    opens: Optional[Opens] = None
    closes: Optional[Source] = None


def value(name: str, code: int, source: Source) -> Param:
    return Param(name, Kind.VALUE, code, source)


def session(name: str = "vi") -> Param:
    return Param(name, Kind.SESSION, SESSION, arg(0))


def any_object(name: str = "vi") -> Param:
    return Param(name, Kind.OBJECT, SESSION, arg(0))


def in_buffer(name: str, source: Source) -> Param:
    return Param(name, Kind.IN_BUFFER, BUF, source)


def in_array(name: str, code: int, source: Source) -> Param:
    return Param(name, Kind.IN_ARRAY, code, source)


def out_value(name: str, pointer_code: int, value_code: int, source: Source) -> Param:
    return Param(name, Kind.OUT_VALUE, pointer_code, source, value_code)


def out_buffer(name: str, source: Source) -> Param:
    return Param(name, Kind.OUT_BUFFER, BUF, source)


def out_array(name: str, code: int, source: Source) -> Param:
    return Param(name, Kind.OUT_ARRAY, code, source)


def out_text(name: str, source: Source) -> Param:
    return Param(name, Kind.OUT_ARRAY, CHAR_ARRAY, source)


def _op(function: str, *params: Param, **options) -> Operation:
    return Operation(function, params, **options)


# The widths of the register operations: name suffix, pointer/array code,
# value code.
_WIDTHS = ((8, PUINT8, UINT8), (16, PUINT16, UINT16), (32, PUINT32, UINT32), (64, PUINT64, UINT64))


def _register_operations() -> Dict[str, Operation]:
    """viIn*, viOut*, viMoveIn*, viMoveOut*, viPeek* and viPoke* in every width."""
    table = {}
    for bits, pointer, code in _WIDTHS:
        val, buf = f"val{bits}", f"buf{bits}"
        table[f"in_{bits}"] = _op(
            f"viIn{bits}", session(), value("space", UINT16, arg(1)),
            value("offset", BUS_ADDRESS, arg(2)), out_value(val, pointer, code, out(0)),
            extended=f"viIn{bits}Ex", extended_arg=3)
        table[f"out_{bits}"] = _op(
            f"viOut{bits}", session(), value("space", UINT16, arg(1)),
            value("offset", BUS_ADDRESS, arg(2)), value(val, code, arg(3)),
            extended=f"viOut{bits}Ex", extended_arg=4)
        table[f"move_in_{bits}"] = _op(
            f"viMoveIn{bits}", session(), value("space", UINT16, arg(1)),
            value("offset", BUS_ADDRESS, arg(2)), value("length", UINT64, arg(3)),
            out_array(buf, pointer, out(0)),
            extended=f"viMoveIn{bits}Ex", extended_arg=4)
        table[f"move_out_{bits}"] = _op(
            f"viMoveOut{bits}", session(), value("space", UINT16, arg(1)),
            value("offset", BUS_ADDRESS, arg(2)), value("length", UINT64, arg(3)),
            in_array(buf, pointer, arg(4)),
            extended=f"viMoveOut{bits}Ex", extended_arg=5)
        table[f"peek_{bits}"] = _op(
            f"viPeek{bits}", session(), value("address", ADDR, arg(1)),
            out_value(val, pointer, code, out(0)))
        table[f"poke_{bits}"] = _op(
            f"viPoke{bits}", session(), value("address", ADDR, arg(1)), value(val, code, arg(2)))
    return table


OPERATIONS: Dict[str, Operation] = {
    # Resource manager, sessions and resources.
    "open_default_resource_manager": _op(
        "viOpenDefaultRM", out_value("sesn", PSESSION, SESSION, out(0)),
        opens=Opens(SESSION, out(0))),
    "list_resources": _op(
        "viFindRsrc", session("sesn"), value("expr", STRING, arg(1)),
        out_value("findList", PFIND_LIST, FIND_LIST, out(0)),
        out_value("retcnt", PUINT32, UINT32, out(1)), out_text("instrDesc", out(2)),
        opens=Opens(FIND_LIST, out(0))),
    # The further matches of list_resources (no operation of its own).
    "find_next": _op(
        "viFindNext", any_object("findList"), out_text("instrDesc", out(0))),
    "parse_resource": _op(
        "viParseRsrc", session("rmSesn"), value("rsrcName", STRING, arg(1)),
        out_value("intfType", PUINT16, UINT16, field_of(out(0), "interface_type")),
        out_value("intfNum", PUINT16, UINT16, field_of(out(0), "interface_board_number"))),
    "parse_resource_extended": _op(
        "viParseRsrcEx", session("rmSesn"), value("rsrcName", STRING, arg(1)),
        out_value("intfType", PUINT16, UINT16, field_of(out(0), "interface_type")),
        out_value("intfNum", PUINT16, UINT16, field_of(out(0), "interface_board_number")),
        out_text("rsrcClass", field_of(out(0), "resource_class")),
        out_text("expandedUnaliasedName", field_of(out(0), "resource_name")),
        out_text("aliasIfExists", field_of(out(0), "alias"))),
    "open": _op(
        "viOpen", session("sesn"), value("rsrcName", STRING, arg(1)),
        value("accessMode", ACCESS_MODE, arg(2)), value("openTimeout", UINT32, arg(3)),
        out_value("vi", PSESSION, SESSION, out(0)),
        opens=Opens(SESSION, out(0), arg(1))),
    "close": _op("viClose", any_object(), closes=arg(0)),
    "status_description": _op(
        "viStatusDesc", any_object(), value("status", STATUS, arg(1)),
        out_text("desc", out(0))),
    # Attributes.
    "get_attribute": _op(
        "viGetAttribute", any_object(), value("attrName", ATTR, arg(1)),
        out_value("attrValue", PATTR_STATE, BY_ATTRIBUTE, out(0))),
    "set_attribute": _op(
        "viSetAttribute", any_object(), value("attrName", ATTR, arg(1)),
        value("attrValue", ATTR_STATE, arg(2))),
    # Basic and formatted I/O.
    "read": _op(
        "viRead", session(), out_buffer("buf", out(0)), value("cnt", UINT32, arg(1)),
        out_value("retCnt", PUINT32, UINT32, length_of(out(0)))),
    "write": _op(
        "viWrite", session(), in_buffer("buf", arg(1)), value("cnt", UINT32, length_of(arg(1))),
        out_value("retCnt", PUINT32, UINT32, out(0))),
    "buffer_read": _op(
        "viBufRead", session(), out_buffer("buf", out(0)), value("cnt", UINT32, arg(1)),
        out_value("retCnt", PUINT32, UINT32, length_of(out(0)))),
    "buffer_write": _op(
        "viBufWrite", session(), in_buffer("buf", arg(1)),
        value("cnt", UINT32, length_of(arg(1))), out_value("retCnt", PUINT32, UINT32, out(0))),
    "read_to_file": _op(
        "viReadToFile", session(), value("filename", STRING, arg(1)),
        value("cnt", UINT32, arg(2)), out_value("retCnt", PUINT32, UINT32, out(0))),
    "write_from_file": _op(
        "viWriteFromFile", session(), value("filename", STRING, arg(1)),
        value("cnt", UINT32, arg(2)), out_value("retCnt", PUINT32, UINT32, out(0))),
    # The buffer of an asynchronous read is filled after the call returns:
    # only its address is logged.
    "read_asynchronously": _op(
        "viReadAsync", session(), out_buffer("buf", None), value("cnt", UINT32, arg(1)),
        out_value("jobId", PUINT32, UINT32, out(1))),
    "write_asynchronously": _op(
        "viWriteAsync", session(), in_buffer("buf", arg(1)),
        value("cnt", UINT32, length_of(arg(1))), out_value("jobId", PUINT32, UINT32, out(0))),
    "terminate": _op(
        "viTerminate", any_object(), value("degree", UINT16, arg(1)),
        value("jobId", UINT32, arg(2))),
    "read_stb": _op("viReadSTB", session(), out_value("status", PUINT16, UINT16, out(0))),
    "assert_trigger": _op("viAssertTrigger", session(), value("protocol", UINT16, arg(1))),
    "clear": _op("viClear", session()),
    "flush": _op("viFlush", session(), value("mask", UINT16, arg(1))),
    "set_buffer": _op(
        "viSetBuf", session(), value("mask", UINT16, arg(1)), value("size", UINT32, arg(2))),
    # Events.
    "enable_event": _op(
        "viEnableEvent", session(), value("eventType", EVENT_TYPE, arg(1)),
        value("mechanism", UINT16, arg(2)), value("context", UINT32, arg(3))),
    "disable_event": _op(
        "viDisableEvent", session(), value("eventType", EVENT_TYPE, arg(1)),
        value("mechanism", UINT16, arg(2))),
    "discard_events": _op(
        "viDiscardEvents", session(), value("eventType", EVENT_TYPE, arg(1)),
        value("mechanism", UINT16, arg(2))),
    "wait_on_event": _op(
        "viWaitOnEvent", session(), value("inEventType", EVENT_TYPE, arg(1)),
        value("timeout", UINT32, arg(2)),
        out_value("outEventType", PEVENT_TYPE, EVENT_TYPE, out(0)),
        out_value("outContext", PEVENT, EVENT, out(1)),
        opens=Opens(EVENT, out(1))),
    "install_handler": _op(
        "viInstallHandler", session(), value("eventType", EVENT_TYPE, arg(1)),
        value("handler", ADDR, arg(2)), value("userHandle", ADDR, arg(3))),
    "uninstall_handler": _op(
        "viUninstallHandler", session(), value("eventType", EVENT_TYPE, arg(1)),
        value("handler", ADDR, arg(2)), value("userHandle", ADDR, arg(3))),
    # Locking.
    "lock": _op(
        "viLock", session(), value("lockType", ACCESS_MODE, arg(1)),
        value("timeout", UINT32, arg(2)), value("requestedKey", STRING, arg(3)),
        out_text("accessKey", out(0))),
    "unlock": _op("viUnlock", session()),
    # GPIB.
    "gpib_command": _op(
        "viGpibCommand", session(), in_buffer("cmd", arg(1)),
        value("cnt", UINT32, length_of(arg(1))), out_value("retCnt", PUINT32, UINT32, out(0))),
    "gpib_control_atn": _op("viGpibControlATN", session(), value("mode", UINT16, arg(1))),
    "gpib_control_ren": _op("viGpibControlREN", session(), value("mode", UINT16, arg(1))),
    "gpib_pass_control": _op(
        "viGpibPassControl", session(), value("primAddr", UINT16, arg(1)),
        value("secAddr", UINT16, arg(2))),
    "gpib_send_ifc": _op("viGpibSendIFC", session()),
    # Register-based access and shared memory.
    **_register_operations(),
    "move": _op(
        "viMove", session(), value("srcSpace", UINT16, arg(1)),
        value("srcOffset", BUS_ADDRESS, arg(2)), value("srcWidth", UINT16, arg(3)),
        value("destSpace", UINT16, arg(4)), value("destOffset", BUS_ADDRESS, arg(5)),
        value("destWidth", UINT16, arg(6)), value("srcLength", UINT64, arg(7))),
    "move_asynchronously": _op(
        "viMoveAsync", session(), value("srcSpace", UINT16, arg(1)),
        value("srcOffset", BUS_ADDRESS, arg(2)), value("srcWidth", UINT16, arg(3)),
        value("destSpace", UINT16, arg(4)), value("destOffset", BUS_ADDRESS, arg(5)),
        value("destWidth", UINT16, arg(6)), value("srcLength", UINT64, arg(7)),
        out_value("jobId", PUINT32, UINT32, out(0))),
    "map_address": _op(
        "viMapAddress", session(), value("mapSpace", UINT16, arg(1)),
        value("mapOffset", BUS_ADDRESS, arg(2)), value("mapSize", UINT64, arg(3)),
        value("access", BOOLEAN, arg(4)), value("suggested", ADDR, arg(5)),
        out_value("address", PADDR, ADDR, out(0))),
    "unmap_address": _op("viUnmapAddress", session()),
    "memory_allocation": _op(
        "viMemAlloc", session(), value("size", UINT64, arg(1)),
        out_value("offset", PBUS_ADDRESS, BUS_ADDRESS, out(0)),
        extended="viMemAllocEx", extended_arg=2),
    "memory_free": _op(
        "viMemFree", session(), value("offset", BUS_ADDRESS, arg(1)),
        extended="viMemFreeEx", extended_arg=2),
    # Triggers, signals and interrupts.
    "map_trigger": _op(
        "viMapTrigger", session(), value("trigSrc", INT16, arg(1)),
        value("trigDest", INT16, arg(2)), value("mode", UINT16, arg(3))),
    "unmap_trigger": _op(
        "viUnmapTrigger", session(), value("trigSrc", INT16, arg(1)),
        value("trigDest", INT16, arg(2))),
    "assert_utility_signal": _op(
        "viAssertUtilSignal", session(), value("line", UINT16, arg(1))),
    "assert_interrupt_signal": _op(
        "viAssertIntrSignal", session(), value("mode", INT16, arg(1)),
        value("statusID", UINT32, arg(2))),
    # VXI and USB.
    "vxi_command_query": _op(
        "viVxiCommandQuery", session(), value("mode", UINT16, arg(1)),
        value("cmd", UINT32, arg(2)), out_value("response", PUINT32, UINT32, out(0))),
    "usb_control_out": _op(
        "viUsbControlOut", session(), value("bmRequestType", INT16, arg(1)),
        value("bRequest", INT16, arg(2)), value("wValue", UINT16, arg(3)),
        value("wIndex", UINT16, arg(4)), value("wLength", UINT16, length_of(arg(5))),
        in_buffer("buf", arg(5))),
    "usb_control_in": _op(
        "viUsbControlIn", session(), value("bmRequestType", INT16, arg(1)),
        value("bRequest", INT16, arg(2)), value("wValue", UINT16, arg(3)),
        value("wIndex", UINT16, arg(4)), value("wLength", UINT16, arg(5)),
        out_buffer("buf", out(0)), out_value("retCnt", PUINT16, UINT16, length_of(out(0)))),
}
