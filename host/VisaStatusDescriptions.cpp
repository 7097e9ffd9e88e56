#include "host/VisaStatusDescriptions.h"

namespace {

struct tStatusDescription {
    uint32_t code;
    const char* text;
};

// One plain sentence per status code, grouped as completions, warnings and
// errors.
const tStatusDescription kVisaStatusDescriptions[] = {
    // Completions.
    {0x00000000, "The operation completed successfully."},
    {0x3FFF0002, "The event type was already enabled for at least one of the given mechanisms."},
    {0x3FFF0003, "The event type was already disabled for at least one of the given mechanisms."},
    {0x3FFF0004, "The operation completed, but there was no event in the queue."},
    {0x3FFF0005, "The read ended because the termination character arrived."},
    {0x3FFF0006, "The read ended because the requested number of bytes arrived."},
    {0x3FFF007D, "The session was opened, but no device answers at the given address."},
    {0x3FFF007E, "The trigger lines were already mapped as requested."},
    {0x3FFF0080, "The wait completed and more events remain in the queue."},
    {0x3FFF0098, "The handler completed and no further handler will be called for this event."},
    {0x3FFF0099, "The shared lock was granted, and the session now holds it more than once."},
    {0x3FFF009A, "The exclusive lock was granted, and the session now holds it more than once."},
    {0x3FFF009B, "The asynchronous request finished at once, as a synchronous one would."},
    // Warnings.
    {0x3FFF000C, "Events were lost because the queue was full when they occurred."},
    {0x3FFF0077, "The configuration could not be loaded, so default settings are in use."},
    {0x3FFF0084, "The attribute is known, but this resource does not support the given value."},
    {0x3FFF0085, "The status code given is not one that the library recognises."},
    {0x3FFF0088, "At least one of the requested buffers cannot be set up on this system."},
    {0x3FFF0082, "The object reference was null, so nothing was done with it."},
    {0x3FFF00A9, "The operation completed, but a function of a lower software layer is missing."},
    // Errors.
    {0xBFFF0000, "An unexpected error occurred in the I/O system."},
    {0xBFFF000E, "The session or object reference is not valid."},
    {0xBFFF000F, "Another session holds a lock that keeps this one from the resource."},
    {0xBFFF0010, "The search expression is not valid."},
    {0xBFFF0011, "No resource matching the given description could be found."},
    {0xBFFF0012, "The resource name is not correctly formed."},
    {0xBFFF0013, "The access mode is not valid."},
    {0xBFFF0015, "The operation did not finish within the timeout period."},
    {0xBFFF0016, "The session or object could not be closed."},
    {0xBFFF001B, "The degree given is not valid."},
    {0xBFFF001C, "The job identifier does not name a pending asynchronous operation."},
    {0xBFFF001D, "This resource does not know the given attribute."},
    {0xBFFF001E, "This resource cannot give the attribute the requested value."},
    {0xBFFF001F, "The attribute can be read but not written."},
    {0xBFFF0020, "The lock type is not valid."},
    {0xBFFF0021, "The access key does not match the key of the lock on the resource."},
    {0xBFFF0026, "The event type is not valid for this resource."},
    {0xBFFF0027, "The event mechanism is not valid for this event type."},
    {0xBFFF0028, "No handler is installed for the given event type."},
    {0xBFFF0029, "The handler reference does not match an installed handler."},
    {0xBFFF002A, "The event context is not valid."},
    {0xBFFF0030, "The operation was cancelled before it could finish."},
    {0xBFFF0034, "A protocol violation was reported during a raw write."},
    {0xBFFF0035, "A protocol violation was reported during a raw read."},
    {0xBFFF0036, "The device reported a protocol error while data were sent to it."},
    {0xBFFF0037, "The device reported a protocol error while data were received from it."},
    {0xBFFF0038, "A bus error occurred during the transfer."},
    {0xBFFF003A, "The operation cannot start because the settings it depends on do not agree."},
    {0xBFFF003B, "The event could not be placed in the queue."},
    {0xBFFF003C, "Not enough system resources were free to carry out the operation."},
    {0xBFFF003D, "The mask is not valid."},
    {0xBFFF003E, "An unknown input or output error occurred during the transfer."},
    {0xBFFF003F, "The format specifier is not valid."},
    {0xBFFF0041, "The format specifier is not supported."},
    {0xBFFF0042, "The trigger line is already in use."},
    {0xBFFF004A, "No service request was pending on the interface."},
    {0xBFFF004E, "The address space is not valid."},
    {0xBFFF0051, "The offset is not valid."},
    {0xBFFF0054, "The offset cannot be reached with the current access settings."},
    {0xBFFF0057, "No window is mapped for this session."},
    {0xBFFF005F, "No device is listening on the bus."},
    {0xBFFF0060, "The interface is not the controller in charge."},
    {0xBFFF0067, "This resource does not support the operation."},
    {0xBFFF006A, "A parity error was detected on the serial line."},
    {0xBFFF006B, "A framing error was detected on the serial line."},
    {0xBFFF006C, "Serial data were lost because they arrived faster than they were read."},
    {0xBFFF0076, "This resource does not support the data width."},
    {0xBFFF0078, "A parameter has a value that is not valid."},
    {0xBFFF0079, "The protocol is not valid."},
    {0xBFFF007B, "The size is not valid."},
    {0xBFFF0080, "A window is already mapped for this session."},
    {0xBFFF0081, "The operation is not implemented."},
    {0xBFFF0083, "The length is not valid."},
    {0xBFFF009C, "The session holds no lock on the resource."},
    {0xBFFF009D, "The device does not share its memory."},
    {0xBFFF0070, "The offset is not aligned to the access width."},
    {0xBFFF0071, "The user buffer cannot be used for this transfer."},
    {0xBFFF0072, "The resource is busy and cannot accept the request now."},
    {0xBFFF002F, "The session is not enabled to receive this event."},
    {0xBFFF0059, "An earlier response is still pending."},
    {0xBFFF0061, "The interface is not the system controller."},
    {0xBFFF0091, "The mode is not valid."},
    {0xBFFF009E, "A library that the operation needs could not be loaded."},
    {0xBFFF009F, "The interface cannot raise the requested interrupt."},
    {0xBFFF00A0, "The line is not valid."},
    {0xBFFF00A1, "The file could not be opened or accessed."},
    {0xBFFF00A2, "An error occurred while the file was read or written."},
    {0xBFFF006E, "The trigger path between the given lines cannot be mapped."},
    {0xBFFF0068, "An earlier interrupt is still waiting to be acknowledged."},
    {0xBFFF0046, "This resource does not support the mode."},
    {0xBFFF002D, "The queue is full, so the event could not be placed in it."},
    {0xBFFF0039, "The operation cannot start while an asynchronous operation is running."},
    {0xBFFF00A3, "This resource does not support the line."},
    {0xBFFF00A4, "The event mechanism is not supported for this event type."},
    {0xBFFF00A5, "No interface with that number is configured."},
    {0xBFFF00A6, "The connection to the device was lost."},
    {0xBFFF00A7, "The remote machine does not exist or accepts no connections."},
    {0xBFFF00A8, "The remote machine refused access."},
};

}  // namespace

// A linear search: the table is small and the lookup is not on a hot path
// (status descriptions are asked for per property page or XML element).
const char* FindVisaStatusDescription(int32_t code) {
    const uint32_t wanted = static_cast<uint32_t>(code);
    for (const tStatusDescription& row : kVisaStatusDescriptions) {
        if (row.code == wanted) return row.text;
    }
    return nullptr;
}
