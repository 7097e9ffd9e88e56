"""The capture file: one per path and process, shared, written a whole line at a time.

The first open of a path in a process truncates the file; later opens of
the same path (another resource manager, another library path naming the
same file, or a new library object after the first was collected) append to
it. Each line goes to the file in one `write` of a file opened for
appending, under a lock, so lines of concurrent calls never mix and a crash
of the program loses only the calls that had not ended.
"""

import os
import threading
import weakref
from typing import Set


class TraceFile:
    """An open capture file. Use `open_trace_file` to get the shared one."""

    def __init__(self, path: str, truncate: bool) -> None:
        flags = os.O_WRONLY | os.O_CREAT | os.O_APPEND | os.O_CLOEXEC
        if truncate:
            flags |= os.O_TRUNC
        self.path = path
        self._fd = os.open(path, flags, 0o666)
        self._lock = threading.Lock()

    def write_line(self, line: str) -> None:
        """Writes `line` (ASCII, ending in a line feed) to the file at once."""
        data = line.encode("ascii")
        with self._lock:
            written = os.write(self._fd, data)
            if written < len(data):  # a regular file takes it all but when full
                view = memoryview(data)[written:]
                while view:
                    view = view[os.write(self._fd, view):]

    def close(self) -> None:
        with self._lock:
            if self._fd >= 0:
                os.close(self._fd)
                self._fd = -1

    def __del__(self) -> None:
        # The lock may be gone already at interpreter shutdown.
        if getattr(self, "_fd", -1) >= 0:
            os.close(self._fd)
            self._fd = -1


_registry_lock = threading.Lock()
_open_files: "weakref.WeakValueDictionary[str, TraceFile]" = weakref.WeakValueDictionary()
_truncated: Set[str] = set()


def open_trace_file(path: str) -> TraceFile:
    """The capture file at `path`, opened once per process and shared."""
    key = os.path.realpath(path)
    with _registry_lock:
        trace = _open_files.get(key)
        if trace is None:
            trace = TraceFile(path, truncate=key not in _truncated)
            _truncated.add(key)
            _open_files[key] = trace
        return trace
