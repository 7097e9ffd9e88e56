"""Data type codes of the capture format, named by the VISA type they carry.

Odd codes are values; the even code above a value code is a pointer to that
value, or an array of it. A parameter logged as a pointer and again as the
data it points to, both with the same even code, is shown as a buffer (a
preview in the description, a dump in the export).

`VALUE_KEYS` says how a value of each code is written in a capture line.
"""

from typing import Dict, Optional

UINT32 = 1  # ViUInt32, ViEventFilter, ViJobId
PUINT32 = 2  # ViPUInt32, ViPJobId, ViAUInt32 (32-bit dump)
INT32 = 3  # ViInt32
UINT16 = 5  # ViUInt16
PUINT16 = 6  # ViPUInt16, ViAUInt16 (16-bit dump)
INT16 = 7  # ViInt16
UINT8 = 9  # ViUInt8
PUINT8 = 10  # ViPUInt8, ViAUInt8 (byte dump)
CHAR_ARRAY = 14  # ViChar[] filled by the call: address; as data, text
ADDR = 15  # ViAddr, ViHndlr: an address in the traced program
PADDR = 16  # ViPAddr
BOOLEAN = 21  # ViBoolean
STATUS = 23  # ViStatus
VERSION = 25  # ViVersion
EVENT_TYPE = 27  # ViEventType
PEVENT_TYPE = 28  # ViPEventType
ATTR = 29  # ViAttr
SESSION = 33  # ViSession
PSESSION = 34  # ViPSession
FIND_LIST = 35  # ViFindList
PFIND_LIST = 36  # ViPFindList
EVENT = 37  # ViEvent
PEVENT = 38  # ViPEvent
ACCESS_MODE = 39  # ViAccessMode
BUF = 42  # ViBuf, ViPBuf
STRING = 45  # ViString, ViRsrc, ViKeyId and resource texts
ATTR_STATE = 51  # ViAttrState
PATTR_STATE = 52  # pointer to an attribute value
BUS_ADDRESS = 51  # ViBusAddress, ViBusAddress64: address-sized hexadecimal
PBUS_ADDRESS = 52  # ViPBusAddress, ViPBusAddress64
UINT64 = 95  # ViUInt64, ViBusSize
PUINT64 = 96  # ViPUInt64, ViAUInt64 (64-bit dump)

# How a value of each code is written: the value key of its JSON entry.
# Pointers are written as their (made-up) address.
VALUE_KEYS: Dict[int, str] = {
    UINT32: "u32",
    INT32: "i32",
    UINT16: "u16",
    INT16: "i16",
    UINT8: "u8",
    ADDR: "u64",
    BOOLEAN: "u16",
    STATUS: "u32",
    VERSION: "u32",
    EVENT_TYPE: "u32",
    ATTR: "u32",
    SESSION: "u32",
    FIND_LIST: "u32",
    EVENT: "u32",
    ACCESS_MODE: "u32",
    STRING: "text",
    ATTR_STATE: "u64",
    UINT64: "u64",
}

# Element width in bytes of the codes that carry arrays of integers.
ARRAY_WIDTHS: Dict[int, int] = {PUINT8: 1, PUINT16: 2, PUINT32: 4, PUINT64: 8}

# The code of an attribute value, by the VISA type PyVISA gives the
# attribute (pyvisa.attributes). Buffers are shown as text.
_VISA_TYPE_CODES: Dict[str, int] = {
    "ViUInt32": UINT32,
    "ViUint32": UINT32,
    "ViJobId": UINT32,
    "ViEventFilter": UINT32,
    "ViInt32": INT32,
    "ViUInt16": UINT16,
    "ViInt16": INT16,
    "ViUInt8": UINT8,
    "ViBoolean": BOOLEAN,
    "ViBool": BOOLEAN,
    "ViStatus": STATUS,
    "ViVersion": VERSION,
    "ViEventType": EVENT_TYPE,
    "ViAttr": ATTR,
    "ViSession": SESSION,
    "ViAccessMode": ACCESS_MODE,
    "ViString": STRING,
    "ViRsrc": STRING,
    "ViBuf": STRING,
    "ViAttrState": ATTR_STATE,
    "ViBusAddress": BUS_ADDRESS,
    "ViBusAddress64": BUS_ADDRESS,
    "ViBusSize": UINT64,
    "ViBusSize64": UINT64,
    "ViUInt64": UINT64,
    "ViAddr": ADDR,
}


def code_of_visa_type(visa_type: Optional[str]) -> int:
    """The code of a value of `visa_type`; an unknown type is an attribute state."""
    return _VISA_TYPE_CODES.get(visa_type or "", ATTR_STATE)
