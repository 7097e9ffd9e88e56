// Shared pieces of the call-record tests: captures built in the host's memory
// loggers, a record whose buffer list the tests can read, the host's export,
// and a fixture that puts the host's services back to their defaults.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "call/CVISACall.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/CProcThreadInfo.h"
#include "host/CVeskApiInfo.h"
#include "host/CVeskUtility.h"
#include "host/HostSideServices.h"

namespace kovesk_test {

using nKoVeskLog210::CVISACall;
using Bytes = std::vector<unsigned char>;
using Lines = std::vector<std::string>;
using Rows = std::vector<std::pair<std::string, std::string>>;

// Data type codes of the host, named by what the tests put in them.
namespace code {
constexpr int kUInt32 = 1, kInt32Array = 2, kInt32 = 3, kByteArray = 10, kReal64Array = 20, kStatus = 23,
              kEventType = 27, kAttribute = 29, kSession = 35, kText = 45, kDecimal16 = 64;
}  // namespace code

constexpr uint32_t kTimeout = 0xBFFF0015;
constexpr uint32_t kTmoValue = 0x3FFF001A;        // an attribute with a name
constexpr uint32_t kServiceRequest = 0x3FFF200B;  // an event with a name

template <class T>
Bytes bytesOf(T value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}
inline Bytes u32(uint32_t value) { return bytesOf(value); }
inline Bytes u64(uint64_t value) { return bytesOf(value); }
inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
// `count` bytes cycling through the letters A to Z.
inline Bytes countingBytes(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>('A' + i % 26);
    return bytes;
}

// One captured parameter; a null name has no name; empty bytes: none captured.
struct Param {
    const char* name;
    int type;
    Bytes bytes;
};

// {name, type, parameter index} of a buffer-list entry.
using Entries = std::vector<std::tuple<std::string, uint32_t, int>>;

// A record whose buffer list the tests can read and whose formatter they set.
class ObservableRecord : public CVISACall {
public:
    Entries bufferEntries() const {
        Entries entries;
        if (m_bufferList) {
            for (const tBufferInfo* e : *m_bufferList) entries.emplace_back(e->name.c_str(), e->type, e->paramIndex);
        }
        return entries;
    }
    void useFormatter(nKoVeskLog210::CVisaFormat& formatter) { m_formatter = &formatter; }
};

// One call as the host holds it while tracing: the two loggers it captured
// into and the record that describes it.
struct LoggedCall {
    CKOVeskMemoryLogger input, output;
    ObservableRecord record;

    explicit LoggedCall(const char* function, int apiType = nKoVeskLog210::kVisaApiType) {
        input.SetFunction(function, 0x6342, apiType);
        output.SetFunction(function, 0x6342, apiType);
    }
    static void add(CKOVeskMemoryLogger& logger, const std::vector<Param>& params) {
        for (const Param& p : params) {
            const int index = logger.AddParam(p.name, p.type);
            if (!p.bytes.empty()) logger.SetParamBytes(index, p.bytes.data(), p.bytes.size());
        }
    }
    void ingestInput(const std::vector<Param>& params) {
        add(input, params);
        bool handled = false;
        record.ProcessLoggerInput(&input, handled);
    }
    // The host's entry of the call: ingestion, then the description.
    void enter(const std::vector<Param>& params) {
        ingestInput(params);
        record.FormatCallDescriptionInput();
    }
    // The host's return: output parameters, the status last, ingestion, line.
    void returnWith(const std::vector<Param>& params, uint32_t status, bool success = true,
                    int statusType = code::kStatus) {
        add(output, params);
        const int index = output.AddParam("status", statusType);
        output.SetParamBytes(index, u32(status).data(), 4);
        output.SetReturnParamIndex(index);
        output.SetSuccessStatus(success);
        record.ProcessLoggerMatchingOutput(&output);
        record.FormatCallDescriptionOutput();
    }
    // A call whose first listed buffer is input parameter 0.
    void enterWithBuffer(int type, const Bytes& bytes) {
        enter({{"buf", type, bytes}});
        record.AddBufferToList("buf", IKoVeskCall::eLogDataInput, 0);
    }
    std::string description() const { return record.GetDescription().c_str(); }
};

inline Lines strings(const std::vector<StringBase>& texts) {
    Lines result;
    for (const StringBase& t : texts) result.emplace_back(t.c_str(), t.length());
    return result;
}

// Exports as the host does: asks for the count, allocates exactly that many
// lines (each holding `fill`, for AddressSanitizer to see), has them filled.
inline Lines exportLines(const CVISACall& record, IKoVeskCall::eCallExportUse use, const char* fill = "") {
    const int count = record.GetNumberOfLinesToExport(use);
    std::vector<StringBase> lines(static_cast<size_t>(count), StringBase(fill));
    record.FormatForOutput(lines.data(), count, use);
    return strings(lines);
}

// Every test starts with the host as a fresh process has it.
class CallRecordTest : public ::testing::Test {
protected:
    void SetUp() override { resetHost(); }
    static void resetHost() { nKoVeskHost::ResetServices(); }
};

}  // namespace kovesk_test
