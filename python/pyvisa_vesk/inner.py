"""The inner backend, the one that really talks to the instruments.

It is built as a private subclass of the named backend whose
`handle_return_value` does not raise or warn while a call is being recorded:
it notes the session and status of each call it sees in `CALL_STATE.pending`,
so that the call can be logged with its status first and PyVISA's raising
and warning done afterwards, by the recording library, with the same
arguments. Outside a recorded call the statuses go to the recording
library's own `handle_return_value` (`CALL_STATE.owner`) as they come, so
that an operation that relies on an exception inside itself (the IVI
backend's list_resources) behaves as without recording.
"""

import functools
import threading
from typing import Any, List, Optional, Tuple

from pyvisa import highlevel
from pyvisa.constants import StatusCode


class _CallState(threading.local):
    # The (session, status) pairs of the recorded call in progress, or None.
    pending: Optional[List[Tuple[Any, Any]]] = None
    # The recording library that raises for a call that is not recorded.
    owner: Optional[highlevel.VisaLibraryBase] = None


CALL_STATE = _CallState()


@functools.lru_cache(maxsize=None)
def quiet_backend_class(backend: str) -> type:
    """The class of backend `backend` (as PyVISA names it after `@`),
    subclassed to hand its statuses to the recording library."""
    base = highlevel.get_wrapper_class(backend)

    class QuietBackend(base):  # type: ignore[valid-type, misc]
        def handle_return_value(self, session: Any, status_code: int) -> StatusCode:
            state = CALL_STATE
            pending = state.pending
            if pending is not None:
                status = status_code
                if type(status) is not StatusCode:
                    try:
                        status = StatusCode(status_code)
                    except ValueError:
                        pass
                pending.append((session, status))
                return status
            if state.owner is not None:
                return highlevel.VisaLibraryBase.handle_return_value(
                    state.owner, session, status_code)
            return super().handle_return_value(session, status_code)

    QuietBackend.__name__ = QuietBackend.__qualname__ = "Quiet" + base.__name__
    return QuietBackend


def open_inner_backend(path: str, backend: str) -> highlevel.VisaLibraryBase:
    """The inner backend `backend` with library path `path` (PyVISA's
    `path@backend`); shared, as PyVISA shares library objects, by every
    recording library that names the same."""
    return quiet_backend_class(backend)(path)
