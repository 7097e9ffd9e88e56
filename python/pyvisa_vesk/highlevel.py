"""The recording backend: one method per VISA operation, each handing the
call to the inner backend through `_call`, which logs it.

`ResourceManager("trace.jsonl@vesk")`, or `PYVISA_LIBRARY=trace.jsonl@vesk`
for an unchanged script, records every low-level call to trace.jsonl.
"""

import time
import warnings
from typing import Any, Iterable, List, Optional, SupportsBytes, Tuple, Union

from pyvisa import constants, errors, highlevel
from pyvisa.constants import StatusCode
from pyvisa.typing import (
    VISAEventContext,
    VISAHandler,
    VISAJobID,
    VISAMemoryAddress,
    VISARMSession,
    VISASession,
)
from pyvisa.util import LibraryPath

from .capture import Recorder
from .inner import CALL_STATE, open_inner_backend
from .options import default_trace_path, parse_library_path
from .tracefile import open_trace_file

Session = Union[VISASession, VISAEventContext, VISARMSession]

# When a call starts (for the capture) and how long it takes (a clock that
# only goes forward).
_time_ns = time.time_ns
_clock_ns = time.perf_counter_ns
Width = Union[int, constants.DataWidth]


class VeskVisaLibrary(highlevel.VisaLibraryBase):
    """Records each low-level call, then leaves it to the inner backend.

    The library path is `PATH[;inner=BACKEND][;limit=BYTES]` (see
    `options`). What a call returns, raises and warns is what the inner
    backend alone gives: the inner backend reports its statuses here, and
    `handle_return_value` of this object raises and warns for them after the
    call has been logged, so `last_status`, `ignore_warning` and
    `VisaIOError` work on this object as on the inner one.
    """

    @staticmethod
    def get_library_paths() -> Iterable[LibraryPath]:
        return (LibraryPath(default_trace_path(), "PYVISA_VESK_TRACE or the default"),)

    @staticmethod
    def get_debug_info() -> List[str]:
        return ["Records every VISA call to a capture file, then hands it to an inner backend"]

    def _init(self) -> None:
        options = parse_library_path(self.library_path)
        self.trace_path = options.trace
        self.inner = open_inner_backend(options.inner_path, options.inner_backend)
        self._recorder = Recorder(open_trace_file(options.trace), options.limit)
        self._failed_to_record = False

    def __getattr__(self, name: str) -> Any:
        # What the inner backend has beyond VisaLibraryBase (pyvisa-py's
        # `sessions`, for example) stays reachable for scripts that use it.
        if name == "inner":
            raise AttributeError(name)
        return getattr(self.inner, name)

    # --- recording ------------------------------------------------------------

    def _call(self, name: str, *args: Any) -> Any:
        """Runs operation `name` of the inner backend, logs it, then raises
        or warns for its statuses as PyVISA would have."""
        state = CALL_STATE
        saved = state.pending
        state.pending = statuses = []
        started = _time_ns()
        clock = _clock_ns()
        try:
            result = getattr(self.inner, name)(*args)
        except errors.VisaIOError as error:
            duration = _clock_ns() - clock
            state.pending = saved
            self._log(self._recorder.record, name, args, (), error.error_code, started, duration)
            self._replay(statuses)
            raise
        except BaseException:
            state.pending = saved
            self._log(self._recorder.record_unreturned, name, args, started)
            self._replay(statuses)
            raise
        duration = _clock_ns() - clock
        state.pending = saved
        try:
            if type(result) is tuple:
                self._recorder.record(name, args, result[:-1], result[-1], started, duration)
            else:
                self._recorder.record(name, args, (), result, started, duration)
        except Exception as error:  # noqa: BLE001 - reported, never raised
            self._failed(error)
        for session, status in statuses:
            self.handle_return_value(session, status)
        return result

    def _replay(self, statuses: List[Tuple[Any, Any]]) -> None:
        for session, status in statuses:
            self.handle_return_value(session, status)

    def _log(self, write: Any, *arguments: Any) -> None:
        try:
            write(*arguments)
        except Exception as error:  # noqa: BLE001 - reported, never raised
            self._failed(error)

    def _failed(self, error: Exception) -> None:
        # A capture that cannot be written must not stop the measurement:
        # said once, then the program goes on unrecorded.
        if not self._failed_to_record:
            self._failed_to_record = True
            warnings.warn(f"pyvisa_vesk: could not record to {self.trace_path}: {error!r}",
                          RuntimeWarning, stacklevel=4)

    # --- resource manager, sessions and resources -----------------------------

    def open_default_resource_manager(self) -> Tuple[VISARMSession, StatusCode]:
        return self._call("open_default_resource_manager")

    def list_resources(self, session: VISARMSession, query: str = "?*::INSTR") -> Tuple[str, ...]:
        # Logged as viFindRsrc, viFindNext and viClose. The inner backend
        # runs as without recording: its statuses are raised as they come.
        state = CALL_STATE
        saved = state.pending, state.owner
        state.pending, state.owner = None, self
        started = _time_ns()
        clock = _clock_ns()
        try:
            found = self.inner.list_resources(session, query)
        except errors.VisaIOError as error:
            duration = _clock_ns() - clock
            state.pending, state.owner = saved
            self._log(self._recorder.record_find, (session, query), (), error.error_code,
                      started, duration)
            raise
        except BaseException:
            state.pending, state.owner = saved
            self._log(self._recorder.record_unreturned, "list_resources", (session, query),
                      started)
            raise
        duration = _clock_ns() - clock
        state.pending, state.owner = saved
        self._log(self._recorder.record_find, (session, query), tuple(found), None, started,
                  duration)
        return found

    def parse_resource(
        self, session: VISARMSession, resource_name: str
    ) -> Tuple[highlevel.ResourceInfo, StatusCode]:
        return self._call("parse_resource", session, resource_name)

    def parse_resource_extended(
        self, session: VISARMSession, resource_name: str
    ) -> Tuple[highlevel.ResourceInfo, StatusCode]:
        return self._call("parse_resource_extended", session, resource_name)

    def open(
        self,
        session: VISARMSession,
        resource_name: str,
        access_mode: constants.AccessModes = constants.AccessModes.no_lock,
        open_timeout: int = constants.VI_TMO_IMMEDIATE,
    ) -> Tuple[VISASession, StatusCode]:
        return self._call("open", session, resource_name, access_mode, open_timeout)

    def close(self, session: Session) -> StatusCode:
        return self._call("close", session)

    def status_description(
        self, session: VISASession, status: StatusCode
    ) -> Tuple[str, StatusCode]:
        return self._call("status_description", session, status)

    # --- attributes -------------------------------------------------------------

    def get_attribute(
        self,
        session: Session,
        attribute: Union[constants.ResourceAttribute, constants.EventAttribute],
    ) -> Tuple[Any, StatusCode]:
        return self._call("get_attribute", session, attribute)

    def set_attribute(
        self, session: VISASession, attribute: constants.ResourceAttribute, attribute_state: Any
    ) -> StatusCode:
        return self._call("set_attribute", session, attribute, attribute_state)

    # --- basic and formatted I/O --------------------------------------------------

    def read(self, session: VISASession, count: int) -> Tuple[bytes, StatusCode]:
        return self._call("read", session, count)

    def write(self, session: VISASession, data: bytes) -> Tuple[int, StatusCode]:
        return self._call("write", session, data)

    def buffer_read(self, session: VISASession, count: int) -> Tuple[bytes, StatusCode]:
        return self._call("buffer_read", session, count)

    def buffer_write(self, session: VISASession, data: bytes) -> Tuple[int, StatusCode]:
        return self._call("buffer_write", session, data)

    def read_to_file(
        self, session: VISASession, filename: str, count: int
    ) -> Tuple[int, StatusCode]:
        return self._call("read_to_file", session, filename, count)

    def write_from_file(
        self, session: VISASession, filename: str, count: int
    ) -> Tuple[int, StatusCode]:
        return self._call("write_from_file", session, filename, count)

    def read_asynchronously(
        self, session: VISASession, count: int
    ) -> Tuple[SupportsBytes, VISAJobID, StatusCode]:
        return self._call("read_asynchronously", session, count)

    def write_asynchronously(
        self, session: VISASession, data: bytes
    ) -> Tuple[VISAJobID, StatusCode]:
        return self._call("write_asynchronously", session, data)

    def get_buffer_from_id(self, job_id: VISAJobID) -> Optional[SupportsBytes]:
        # Not a VISA function: not logged.
        return self.inner.get_buffer_from_id(job_id)

    def terminate(self, session: VISASession, degree: None, job_id: VISAJobID) -> StatusCode:
        return self._call("terminate", session, degree, job_id)

    def read_stb(self, session: VISASession) -> Tuple[int, StatusCode]:
        return self._call("read_stb", session)

    def assert_trigger(
        self, session: VISASession, protocol: constants.TriggerProtocol
    ) -> StatusCode:
        return self._call("assert_trigger", session, protocol)

    def clear(self, session: VISASession) -> StatusCode:
        return self._call("clear", session)

    def flush(self, session: VISASession, mask: constants.BufferOperation) -> StatusCode:
        return self._call("flush", session, mask)

    def set_buffer(
        self, session: VISASession, mask: constants.BufferType, size: int
    ) -> StatusCode:
        return self._call("set_buffer", session, mask, size)

    # --- events -------------------------------------------------------------------

    def enable_event(
        self,
        session: VISASession,
        event_type: constants.EventType,
        mechanism: constants.EventMechanism,
        context: None = None,
    ) -> StatusCode:
        return self._call("enable_event", session, event_type, mechanism, context)

    def disable_event(
        self,
        session: VISASession,
        event_type: constants.EventType,
        mechanism: constants.EventMechanism,
    ) -> StatusCode:
        return self._call("disable_event", session, event_type, mechanism)

    def discard_events(
        self,
        session: VISASession,
        event_type: constants.EventType,
        mechanism: constants.EventMechanism,
    ) -> StatusCode:
        return self._call("discard_events", session, event_type, mechanism)

    def wait_on_event(
        self, session: VISASession, in_event_type: constants.EventType, timeout: int
    ) -> Tuple[constants.EventType, VISAEventContext, StatusCode]:
        return self._call("wait_on_event", session, in_event_type, timeout)

    def install_handler(
        self,
        session: VISASession,
        event_type: constants.EventType,
        handler: VISAHandler,
        user_handle: Any,
    ) -> Tuple[VISAHandler, Any, Any, StatusCode]:
        return self._call("install_handler", session, event_type, handler, user_handle)

    def uninstall_handler(
        self,
        session: VISASession,
        event_type: constants.EventType,
        handler: VISAHandler,
        user_handle: Any = None,
    ) -> StatusCode:
        return self._call("uninstall_handler", session, event_type, handler, user_handle)

    # --- locking --------------------------------------------------------------------

    def lock(
        self,
        session: VISASession,
        lock_type: constants.Lock,
        timeout: int,
        requested_key: Optional[str] = None,
    ) -> Tuple[str, StatusCode]:
        return self._call("lock", session, lock_type, timeout, requested_key)

    def unlock(self, session: VISASession) -> StatusCode:
        return self._call("unlock", session)

    # --- GPIB -----------------------------------------------------------------------

    def gpib_command(self, session: VISASession, data: bytes) -> Tuple[int, StatusCode]:
        return self._call("gpib_command", session, data)

    def gpib_control_atn(
        self, session: VISASession, mode: constants.ATNLineOperation
    ) -> StatusCode:
        return self._call("gpib_control_atn", session, mode)

    def gpib_control_ren(
        self, session: VISASession, mode: constants.RENLineOperation
    ) -> StatusCode:
        return self._call("gpib_control_ren", session, mode)

    def gpib_pass_control(
        self, session: VISASession, primary_address: int, secondary_address: int
    ) -> StatusCode:
        return self._call("gpib_pass_control", session, primary_address, secondary_address)

    def gpib_send_ifc(self, session: VISASession) -> StatusCode:
        return self._call("gpib_send_ifc", session)

    # --- register-based access --------------------------------------------------------

    def in_8(
        self, session: VISASession, space: constants.AddressSpace, offset: int,
        extended: bool = False,
    ) -> Tuple[int, StatusCode]:
        return self._call("in_8", session, space, offset, extended)

    def in_16(
        self, session: VISASession, space: constants.AddressSpace, offset: int,
        extended: bool = False,
    ) -> Tuple[int, StatusCode]:
        return self._call("in_16", session, space, offset, extended)

    def in_32(
        self, session: VISASession, space: constants.AddressSpace, offset: int,
        extended: bool = False,
    ) -> Tuple[int, StatusCode]:
        return self._call("in_32", session, space, offset, extended)

    def in_64(
        self, session: VISASession, space: constants.AddressSpace, offset: int,
        extended: bool = False,
    ) -> Tuple[int, StatusCode]:
        return self._call("in_64", session, space, offset, extended)

    def out_8(
        self, session: VISASession, space: constants.AddressSpace, offset: int, data: int,
        extended: bool = False,
    ) -> StatusCode:
        return self._call("out_8", session, space, offset, data, extended)

    def out_16(
        self, session: VISASession, space: constants.AddressSpace, offset: int, data: int,
        extended: bool = False,
    ) -> StatusCode:
        return self._call("out_16", session, space, offset, data, extended)

    def out_32(
        self, session: VISASession, space: constants.AddressSpace, offset: int, data: int,
        extended: bool = False,
    ) -> StatusCode:
        return self._call("out_32", session, space, offset, data, extended)

    def out_64(
        self, session: VISASession, space: constants.AddressSpace, offset: int, data: int,
        extended: bool = False,
    ) -> StatusCode:
        return self._call("out_64", session, space, offset, data, extended)

    def move_in_8(
        self, session: VISASession, space: constants.AddressSpace, offset: int, length: int,
        extended: bool = False,
    ) -> Tuple[List[int], StatusCode]:
        return self._call("move_in_8", session, space, offset, length, extended)

    def move_in_16(
        self, session: VISASession, space: constants.AddressSpace, offset: int, length: int,
        extended: bool = False,
    ) -> Tuple[List[int], StatusCode]:
        return self._call("move_in_16", session, space, offset, length, extended)

    def move_in_32(
        self, session: VISASession, space: constants.AddressSpace, offset: int, length: int,
        extended: bool = False,
    ) -> Tuple[List[int], StatusCode]:
        return self._call("move_in_32", session, space, offset, length, extended)

    def move_in_64(
        self, session: VISASession, space: constants.AddressSpace, offset: int, length: int,
        extended: bool = False,
    ) -> Tuple[List[int], StatusCode]:
        return self._call("move_in_64", session, space, offset, length, extended)

    def move_out_8(
        self, session: VISASession, space: constants.AddressSpace, offset: int, length: int,
        data: Iterable[int], extended: bool = False,
    ) -> StatusCode:
        return self._call("move_out_8", session, space, offset, length, data, extended)

    def move_out_16(
        self, session: VISASession, space: constants.AddressSpace, offset: int, length: int,
        data: Iterable[int], extended: bool = False,
    ) -> StatusCode:
        return self._call("move_out_16", session, space, offset, length, data, extended)

    def move_out_32(
        self, session: VISASession, space: constants.AddressSpace, offset: int, length: int,
        data: Iterable[int], extended: bool = False,
    ) -> StatusCode:
        return self._call("move_out_32", session, space, offset, length, data, extended)

    def move_out_64(
        self, session: VISASession, space: constants.AddressSpace, offset: int, length: int,
        data: Iterable[int], extended: bool = False,
    ) -> StatusCode:
        return self._call("move_out_64", session, space, offset, length, data, extended)

    def peek_8(self, session: VISASession, address: VISAMemoryAddress) -> Tuple[int, StatusCode]:
        return self._call("peek_8", session, address)

    def peek_16(self, session: VISASession, address: VISAMemoryAddress) -> Tuple[int, StatusCode]:
        return self._call("peek_16", session, address)

    def peek_32(self, session: VISASession, address: VISAMemoryAddress) -> Tuple[int, StatusCode]:
        return self._call("peek_32", session, address)

    def peek_64(self, session: VISASession, address: VISAMemoryAddress) -> Tuple[int, StatusCode]:
        return self._call("peek_64", session, address)

    def poke_8(self, session: VISASession, address: VISAMemoryAddress, data: int) -> StatusCode:
        return self._call("poke_8", session, address, data)

    def poke_16(self, session: VISASession, address: VISAMemoryAddress, data: int) -> StatusCode:
        return self._call("poke_16", session, address, data)

    def poke_32(self, session: VISASession, address: VISAMemoryAddress, data: int) -> StatusCode:
        return self._call("poke_32", session, address, data)

    def poke_64(self, session: VISASession, address: VISAMemoryAddress, data: int) -> StatusCode:
        return self._call("poke_64", session, address, data)

    def move(
        self,
        session: VISASession,
        source_space: constants.AddressSpace,
        source_offset: int,
        source_width: constants.DataWidth,
        destination_space: constants.AddressSpace,
        destination_offset: int,
        destination_width: constants.DataWidth,
        length: int,
    ) -> StatusCode:
        return self._call("move", session, source_space, source_offset, source_width,
                          destination_space, destination_offset, destination_width, length)

    def move_asynchronously(
        self,
        session: VISASession,
        source_space: constants.AddressSpace,
        source_offset: int,
        source_width: constants.DataWidth,
        destination_space: constants.AddressSpace,
        destination_offset: int,
        destination_width: constants.DataWidth,
        length: int,
    ) -> Tuple[VISAJobID, StatusCode]:
        return self._call("move_asynchronously", session, source_space, source_offset,
                          source_width, destination_space, destination_offset,
                          destination_width, length)

    def map_address(
        self,
        session: VISASession,
        map_space: constants.AddressSpace,
        map_base: int,
        map_size: int,
        access: bool = False,
        suggested: Optional[int] = None,
    ) -> Tuple[int, StatusCode]:
        return self._call("map_address", session, map_space, map_base, map_size, access,
                          suggested)

    def unmap_address(self, session: VISASession) -> StatusCode:
        return self._call("unmap_address", session)

    def memory_allocation(
        self, session: VISASession, size: int, extended: bool = False
    ) -> Tuple[int, StatusCode]:
        return self._call("memory_allocation", session, size, extended)

    def memory_free(self, session: VISASession, offset: int, extended: bool = False) -> StatusCode:
        return self._call("memory_free", session, offset, extended)

    # --- triggers, signals and interrupts ------------------------------------------------

    def map_trigger(
        self,
        session: VISASession,
        trigger_source: constants.InputTriggerLine,
        trigger_destination: constants.OutputTriggerLine,
        mode: None = None,
    ) -> StatusCode:
        return self._call("map_trigger", session, trigger_source, trigger_destination, mode)

    def unmap_trigger(
        self,
        session: VISASession,
        trigger_source: constants.InputTriggerLine,
        trigger_destination: constants.OutputTriggerLine,
    ) -> StatusCode:
        return self._call("unmap_trigger", session, trigger_source, trigger_destination)

    def assert_utility_signal(
        self, session: VISASession, line: constants.UtilityBusSignal
    ) -> StatusCode:
        return self._call("assert_utility_signal", session, line)

    def assert_interrupt_signal(
        self, session: VISASession, mode: constants.AssertSignalInterrupt, status_id: int
    ) -> StatusCode:
        return self._call("assert_interrupt_signal", session, mode, status_id)

    # --- VXI and USB ------------------------------------------------------------------------

    def vxi_command_query(
        self, session: VISASession, mode: constants.VXICommands, command: int
    ) -> Tuple[int, StatusCode]:
        return self._call("vxi_command_query", session, mode, command)

    def usb_control_out(
        self,
        session: VISASession,
        request_type_bitmap_field: int,
        request_id: int,
        request_value: int,
        index: int,
        data: bytes = b"",
    ) -> StatusCode:
        return self._call("usb_control_out", session, request_type_bitmap_field, request_id,
                          request_value, index, data)

    def usb_control_in(
        self,
        session: VISASession,
        request_type_bitmap_field: int,
        request_id: int,
        request_value: int,
        index: int,
        length: int = 0,
    ) -> Tuple[bytes, StatusCode]:
        return self._call("usb_control_in", session, request_type_bitmap_field, request_id,
                          request_value, index, length)
