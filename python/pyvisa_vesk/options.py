"""The library path of the backend: `PATH[;inner=BACKEND][;limit=BYTES]`.

PyVISA hands the backend the text before `@vesk`, after splitting the whole
text it was given on `@`: neither the path nor the options can contain one. The
inner backend is therefore named without it (`inner=ivi`), or, when the
library object is made directly, as PyVISA names it (`inner=/opt/lib/libvisa.so@ivi`).
"""

import os
from typing import NamedTuple

from .capture import DEFAULT_LIMIT, SMALLEST_LIMIT

# The capture file when the path is empty.
TRACE_VARIABLE = "PYVISA_VESK_TRACE"
DEFAULT_TRACE = "vesk-trace.jsonl"
DEFAULT_INNER = "py"


class Options(NamedTuple):
    trace: str  # the capture file
    inner_path: str  # what the inner backend gets as its library path
    inner_backend: str  # the inner backend's name ("py", "ivi", ...)
    limit: int  # buffers above this many bytes are captured as head and tail


def default_trace_path() -> str:
    """The capture file of an empty path: $PYVISA_VESK_TRACE, or vesk-trace.jsonl."""
    return os.environ.get(TRACE_VARIABLE) or DEFAULT_TRACE


def parse_library_path(text: str) -> Options:
    """Reads `PATH[;inner=BACKEND][;limit=BYTES]`; ValueError names what is wrong."""
    path, *settings = text.split(";")
    inner = DEFAULT_INNER
    limit = DEFAULT_LIMIT
    seen = set()
    for setting in settings:
        key, equals, value = setting.partition("=")
        key = key.strip()
        if not equals or key not in ("inner", "limit"):
            raise ValueError(
                f"pyvisa_vesk: unknown option {setting!r} in {text!r} "
                "(expected PATH[;inner=BACKEND][;limit=BYTES])")
        if key in seen:
            raise ValueError(f"pyvisa_vesk: option {key!r} given twice in {text!r}")
        seen.add(key)
        value = value.strip()
        if key == "inner":
            inner = value
        else:
            try:
                limit = int(value)
            except ValueError:
                raise ValueError(
                    f"pyvisa_vesk: limit {value!r} is not a number of bytes") from None
            if limit < SMALLEST_LIMIT:
                raise ValueError(
                    f"pyvisa_vesk: limit {limit} is below the smallest, {SMALLEST_LIMIT} bytes")
    inner_path, _, backend = inner.rpartition("@")
    if not backend:
        raise ValueError(f"pyvisa_vesk: inner={inner!r} names no backend")
    if backend == "vesk":
        raise ValueError("pyvisa_vesk: the inner backend cannot be vesk itself")
    return Options(path or default_trace_path(), inner_path, backend, limit)
