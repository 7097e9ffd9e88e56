#include "bench/TypicalCalls.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace kovesk_bench {
namespace {

// Stack addresses of the traced program: only their shape matters.
constexpr uint64_t kBufferAddress = 140726184317008u;
constexpr uint64_t kCountAddress = 140726184317024u;
constexpr uint64_t kEventAddress = 140726184317104u;
constexpr uint64_t kContextAddress = 140726184317120u;

constexpr size_t kWaveformSize = 4096;
constexpr uint64_t kWaveformPeriod = 64;

// Data type codes of the host.
constexpr int kCodeUInt32 = 1;
constexpr int kCodeUInt32Pointer = 2;
constexpr int kCodeUInt16 = 5;
constexpr int kCodeUInt16Pointer = 6;
constexpr int kCodeStatus = 23;
constexpr int kCodeEvent = 27;
constexpr int kCodeEventPointer = 28;
constexpr int kCodeAttribute = 29;
constexpr int kCodeSession = 33;
constexpr int kCodeEventHandle = 37;
constexpr int kCodeEventHandlePointer = 38;
constexpr int kCodeByteBuffer = 42;
constexpr int kCodeText = 45;
constexpr int kCodeAttributeValue = 51;

void appendNumber(std::string& out, uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, static_cast<size_t>(result.ptr - digits));
}

void appendJsonString(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

bool isPrintableAscii(const unsigned char* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if ((data[i] < 0x20 && data[i] != '\n') || data[i] >= 0x7F) return false;
    }
    return true;
}

void appendHex(std::string& out, const unsigned char* data, size_t count) {
    static const char kHex[] = "0123456789ABCDEF";
    const size_t start = out.size();
    out.resize(start + 2 * count);
    char* p = &out[start];
    for (size_t i = 0; i < count; ++i) {
        *p++ = kHex[data[i] >> 4];
        *p++ = kHex[data[i] & 0xF];
    }
}

// {"name":NAME,"type":TYPE,"u32":VALUE}, and the u16/u64 variants.
void appendValueParam(std::string& out, const char* name, int type, const char* key,
                      uint64_t value) {
    out += "{";
    if (name) {
        out += "\"name\":";
        appendJsonString(out, name);
        out += ',';
    }
    out += "\"type\":";
    appendNumber(out, static_cast<uint64_t>(type));
    out += ",\"";
    out += key;
    out += "\":";
    appendNumber(out, value);
    out += '}';
}

void appendBytesParam(std::string& out, const char* name, int type, const unsigned char* data,
                      size_t count) {
    out += "{\"name\":";
    appendJsonString(out, name);
    out += ",\"type\":";
    appendNumber(out, static_cast<uint64_t>(type));
    if (isPrintableAscii(data, count)) {
        out += ",\"text\":";
        appendJsonString(out, std::string_view(reinterpret_cast<const char*>(data), count));
    } else {
        out += ",\"hex\":\"";
        appendHex(out, data, count);
        out += '"';
    }
    out += ",\"fullSize\":";
    appendNumber(out, count);
    out += '}';
}

// The opening of a call and its first two inputs: the hidden session text
// and the session handle.
void beginCall(std::string& out, const char* function, int id) {
    out += "{\"function\":\"";
    out += function;
    out += "\",\"id\":";
    appendNumber(out, static_cast<uint64_t>(id));
    out += ",\"in\":[{\"name\":\"dummysesvi\",\"type\":";
    appendNumber(out, static_cast<uint64_t>(kCodeText));
    out += ",\"text\":";
    appendJsonString(out, kResource);
    out += "},";
    appendValueParam(out, "vi", kCodeSession, "u32", kSession);
}

void appendStatusParam(std::string& out, uint32_t status) {
    appendValueParam(out, nullptr, kCodeStatus, "u32", status);
}

}  // namespace

void AppendViWrite(std::string& out, std::string_view text) {
    beginCall(out, "viWrite", 22);
    out += ',';
    appendValueParam(out, "buf", kCodeByteBuffer, "u64", kBufferAddress);
    out += ',';
    appendBytesParam(out, "*buf", kCodeByteBuffer,
                     reinterpret_cast<const unsigned char*>(text.data()), text.size());
    out += ',';
    appendValueParam(out, "cnt", kCodeUInt32, "u32", text.size());
    out += ',';
    appendValueParam(out, "retCnt", kCodeUInt32Pointer, "u64", kCountAddress);
    out += "],\"out\":{\"params\":[";
    appendValueParam(out, "*retCnt", kCodeUInt32, "u32", text.size());
    out += ',';
    appendStatusParam(out, 0);
    out += "],\"ret\":1}}\n";
}

namespace {

// viRead that returned `count` bytes in *buf with `status`; the bytes also
// on entry (as *buf of the input) when `alsoOnEntry`.
void appendViRead(std::string& out, const unsigned char* data, size_t count, uint32_t status,
                  bool alsoOnEntry) {
    beginCall(out, "viRead", 19);
    out += ',';
    appendValueParam(out, "buf", kCodeByteBuffer, "u64", kBufferAddress);
    if (alsoOnEntry) {
        out += ',';
        appendBytesParam(out, "*buf", kCodeByteBuffer, data, count);
    }
    out += ',';
    appendValueParam(out, "cnt", kCodeUInt32, "u32", count);
    out += ',';
    appendValueParam(out, "retCnt", kCodeUInt32Pointer, "u64", kCountAddress);
    out += "],\"out\":{\"params\":[";
    appendBytesParam(out, "*buf", kCodeByteBuffer, data, count);
    out += ',';
    appendValueParam(out, "*retCnt", kCodeUInt32, "u32", count);
    out += ',';
    appendStatusParam(out, status);
    out += "],\"ret\":2}}\n";
}

}  // namespace

void AppendViRead(std::string& out, const unsigned char* data, size_t count, uint32_t status) {
    appendViRead(out, data, count, status, false);
}

void AppendViReadBothWays(std::string& out, const unsigned char* data, size_t count) {
    appendViRead(out, data, count, 0, true);
}

void AppendViSetAttribute(std::string& out, uint32_t attribute, uint64_t value) {
    beginCall(out, "viSetAttribute", 7);
    out += ',';
    appendValueParam(out, "attrName", kCodeAttribute, "u32", attribute);
    out += ',';
    appendValueParam(out, "attrValue", kCodeAttributeValue, "u64", value);
    out += "],\"out\":{\"params\":[";
    appendStatusParam(out, 0);
    out += "],\"ret\":0}}\n";
}

void AppendViWaitOnEventFailed(std::string& out) {
    beginCall(out, "viWaitOnEvent", 16);
    out += ',';
    appendValueParam(out, "inEventType", kCodeEvent, "u32", kEventServiceRequest);
    out += ',';
    appendValueParam(out, "timeout", kCodeUInt32, "u32", 2000);
    out += ',';
    appendValueParam(out, "outEventType", kCodeEventPointer, "u64", kEventAddress);
    out += ',';
    appendValueParam(out, "outContext", kCodeEventHandlePointer, "u64", kContextAddress);
    out += "],\"out\":{\"params\":[";
    appendValueParam(out, "*outEventType", kCodeEvent, "u32", 0);
    out += ',';
    appendValueParam(out, "*outContext", kCodeEventHandle, "u32", 0);
    out += ',';
    appendStatusParam(out, kStatusTimeout);
    out += "],\"ret\":2,\"ok\":false}}\n";
}

void AppendViReadStb(std::string& out, uint16_t stb) {
    beginCall(out, "viReadSTB", 26);
    out += ',';
    appendValueParam(out, "status", kCodeUInt16Pointer, "u64", kBufferAddress);
    out += "],\"out\":{\"params\":[";
    appendValueParam(out, "*status", kCodeUInt16, "u16", stb);
    out += ',';
    appendStatusParam(out, 0);
    out += "],\"ret\":1}}\n";
}

namespace {

// A block of 8-bit samples behind its "#44096" length header, as an
// oscilloscope sends a waveform.
const std::vector<unsigned char>& waveform() {
    static const std::vector<unsigned char> samples = [] {
        std::vector<unsigned char> bytes(kWaveformSize);
        const char header[] = "#44090";
        for (size_t i = 0; i < sizeof header - 1; ++i) bytes[i] = static_cast<unsigned char>(header[i]);
        for (size_t i = sizeof header - 1; i < bytes.size(); ++i) {
            const double phase = static_cast<double>(i) * 0.0490873852;  // 2 pi / 128
            bytes[i] = static_cast<unsigned char>(128.0 + 100.0 * std::sin(phase));
        }
        bytes.back() = '\n';
        return bytes;
    }();
    return samples;
}

// A reading such as "+1.2345678E+00\n" that differs from call to call.
std::string reading(uint64_t n) {
    char text[32];
    const uint64_t digits = (n * 2654435761u) % 100000000u;
    std::snprintf(text, sizeof text, "%c%llu.%07lluE-0%llu\n", n % 3 ? '+' : '-',
                  static_cast<unsigned long long>(digits / 10000000u),
                  static_cast<unsigned long long>(digits % 10000000u),
                  static_cast<unsigned long long>(n % 4));
    return text;
}

}  // namespace

const char* TypicalCallName(eTypicalCall call) {
    switch (call) {
        case eTypicalCall::eWriteText: return "viWrite_text";
        case eTypicalCall::eRead4KiB: return "viRead_4KiB";
        case eTypicalCall::eSetAttribute: return "viSetAttribute";
        case eTypicalCall::eWaitFailed: return "viWaitOnEvent_failed";
    }
    return "";
}

void AppendTypicalCall(std::string& out, eTypicalCall call) {
    switch (call) {
        case eTypicalCall::eWriteText: AppendViWrite(out, "MEAS:VOLT:DC?\n"); break;
        case eTypicalCall::eRead4KiB:
            AppendViRead(out, waveform().data(), waveform().size(), kStatusTermChar);
            break;
        case eTypicalCall::eSetAttribute: AppendViSetAttribute(out, kAttrTimeout, 5000); break;
        case eTypicalCall::eWaitFailed: AppendViWaitOnEventFailed(out); break;
    }
}

void AppendStationCalls(std::string& out, uint64_t first, uint64_t count) {
    for (uint64_t n = first; n < first + count; ++n) {
        if (n % kWaveformPeriod == kWaveformPeriod - 1) {
            AppendViRead(out, waveform().data(), waveform().size(), kStatusTermChar);
            continue;
        }
        switch (n % 8) {
            case 0: AppendViWrite(out, "MEAS:VOLT:DC?\n"); break;
            case 2: AppendViWrite(out, "MEAS:CURR:DC?\n"); break;
            case 1:
            case 3: {
                const std::string text = reading(n);
                AppendViRead(out, reinterpret_cast<const unsigned char*>(text.data()),
                             text.size(), kStatusTermChar);
                break;
            }
            case 4: AppendViSetAttribute(out, kAttrTimeout, 1000 + 1000 * (n / 8 % 5)); break;
            case 5: AppendViWaitOnEventFailed(out); break;
            case 6: AppendViReadStb(out, static_cast<uint16_t>(n % 2 ? 0x10 : 0x50)); break;
            default: AppendViWrite(out, "*OPC?\n"); break;
        }
    }
}

void AppendTimedStationCalls(std::string& out, uint64_t first, uint64_t count) {
    for (uint64_t n = first; n < first + count; ++n) {
        const size_t start = out.size();
        AppendStationCalls(out, n, 1);
        // 2026-12-06T10:00:00Z, then 250 microseconds a call.
        const uint64_t microseconds = n * 250;
        const uint64_t seconds = microseconds / 1000000;
        char keys[160];
        const int length = std::snprintf(
            keys, sizeof keys,
            "\"time\":\"2026-12-06T%02u:%02u:%02u.%06uZ\",\"duration\":0.000%03u,"
            "\"thread\":%u,\"process\":900,",
            static_cast<unsigned>(10 + seconds / 3600 % 14), static_cast<unsigned>(seconds / 60 % 60),
            static_cast<unsigned>(seconds % 60), static_cast<unsigned>(microseconds % 1000000),
            static_cast<unsigned>(100 + n % 7 * 20), static_cast<unsigned>(4711 + n % 2));
        out.insert(start + 1, keys, static_cast<size_t>(length));
    }
}

}  // namespace kovesk_bench
