"""A PyVISA backend that records every VISA call a program makes.

    PYVISA_LIBRARY=trace.jsonl@vesk python3 my_measurement.py
    vesk-replay trace.jsonl

PyVISA loads the backend named after `@` as the module `pyvisa_<name>` and
uses its `WRAPPER_CLASS`. The text before `@` is
`PATH[;inner=BACKEND][;limit=BYTES]`: the capture file, the backend that
really talks to the instruments (default `py`, pyvisa-py) and the size above
which buffers are captured as head and tail (default 65536 bytes).
"""

from .highlevel import VeskVisaLibrary

__version__ = "1.0.0"

WRAPPER_CLASS = VeskVisaLibrary

__all__ = ["VeskVisaLibrary", "WRAPPER_CLASS", "__version__"]
