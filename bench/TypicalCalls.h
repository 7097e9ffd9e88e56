// Captured calls of an instrument test station, written as the capture
// lines (JSON Lines) that vesk-replay reads: the benchmarks, the capture
// generator and the dump comparison all describe their calls here, so that
// every figure is measured on the same shapes.
//
// Each Append* function appends one complete line, line feed included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kovesk_bench {

// The instrument session every call talks to, and its resource text (the
// host logs it in the hidden "dummysesvi" parameter before the handle).
inline constexpr uint32_t kSession = 0x1003;
inline constexpr char kResource[] = "TCPIP0::192.168.1.20::inst0::INSTR";

// VISA values the calls carry.
inline constexpr uint32_t kAttrTimeout = 0x3FFF001A;       // VI_ATTR_TMO_VALUE
inline constexpr uint32_t kEventServiceRequest = 0x3FFF200B;
inline constexpr uint32_t kStatusTermChar = 0x3FFF0005;    // VI_SUCCESS_TERM_CHAR
inline constexpr uint32_t kStatusTimeout = 0xBFFF0015;     // VI_ERROR_TMO

// viWrite of `text` (the *buf input buffer).
void AppendViWrite(std::string& out, std::string_view text);
// viRead that returned `count` bytes in *buf, with `status`; the bytes go
// in as "text" when they are printable ASCII, else as "hex".
void AppendViRead(std::string& out, const unsigned char* data, size_t count, uint32_t status);
// viRead whose buffer was captured both on entry (as *buf in) and on
// return (as *buf out), holding `count` bytes each time: a call with two
// buffers of the same size.
void AppendViReadBothWays(std::string& out, const unsigned char* data, size_t count);
// viSetAttribute of a named attribute.
void AppendViSetAttribute(std::string& out, uint32_t attribute, uint64_t value);
// viWaitOnEvent for a service request that timed out: the failed call.
void AppendViWaitOnEventFailed(std::string& out);
// viReadSTB returning the status byte `stb`.
void AppendViReadStb(std::string& out, uint16_t stb);

// The calls the description and status benchmarks render.
enum class eTypicalCall {
    eWriteText,     // viWrite of a 14-byte command
    eRead4KiB,      // viRead returning 4096 binary bytes
    eSetAttribute,  // viSetAttribute(VI_ATTR_TMO_VALUE, 5000)
    eWaitFailed,    // viWaitOnEvent timing out
};
inline constexpr eTypicalCall kTypicalCalls[] = {eTypicalCall::eWriteText, eTypicalCall::eRead4KiB,
                                                 eTypicalCall::eSetAttribute,
                                                 eTypicalCall::eWaitFailed};
const char* TypicalCallName(eTypicalCall call);
void AppendTypicalCall(std::string& out, eTypicalCall call);

// Calls [first, first + count) of a test station's measurement loop:
// write a query, read the short answer, now and then set the timeout,
// wait for a service request in vain, read the status byte, and every
// 64th call read a 4 KiB waveform. Deterministic: call n is always the
// same line.
void AppendStationCalls(std::string& out, uint64_t first, uint64_t count);
// The same calls as a recorder writes them: each also says when it started
// (a call every 250 microseconds), how long it took and on which of two
// threads of one process it ran.
void AppendTimedStationCalls(std::string& out, uint64_t first, uint64_t count);

}  // namespace kovesk_bench
