// Shared pieces of the call-record tests: captured calls built in the host's
// memory loggers, a record that lets tests see its buffer list, and a
// fixture that puts the host's services back to their defaults.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "call/CVISACall.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/VeskServices.h"

namespace call_test {

using nKoVeskLog210::CVISACall;
using Bytes = std::vector<unsigned char>;

// Data type codes of the host, named by what the tests put in them.
namespace code {
constexpr int kUInt32 = 1;       // unsigned integer: "%u (0x%X)"
constexpr int kInt32Array = 2;   // 32-bit integer array; as a scalar, an address
constexpr int kInt32 = 3;        // signed integer
constexpr int kByteArray = 10;   // byte array; as a scalar, an address
constexpr int kReal64Array = 20;
constexpr int kStatus = 23;
constexpr int kEventType = 27;
constexpr int kAttribute = 29;
constexpr int kSession = 35;
constexpr int kText = 45;        // narrow text
constexpr int kDecimal16 = 64;   // signed 16-bit, decimal only
}  // namespace code

// The values as they lie in memory, as a capture holds them.
template <class T>
Bytes bytesOf(std::initializer_list<T> values) {
    Bytes bytes(values.size() * sizeof(T));
    if (!bytes.empty()) std::memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}
inline Bytes u32(uint32_t value) { return bytesOf<uint32_t>({value}); }
inline Bytes u64(uint64_t value) { return bytesOf<uint64_t>({value}); }
inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
// `count` bytes cycling through the letters A to Z.
inline Bytes countingBytes(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>('A' + i % 26);
    return bytes;
}

// One captured parameter; a null name is a parameter the logger gives no
// name for. Empty bytes: nothing captured.
struct Param {
    const char* name;
    int type;
    Bytes bytes;
};

inline void addParams(CKOVeskMemoryLogger& logger, const std::vector<Param>& params) {
    for (const Param& p : params) {
        const int index = logger.AddParam(p.name, p.type);
        if (!p.bytes.empty()) logger.SetParamBytes(index, p.bytes.data(), p.bytes.size());
    }
}

// A record whose buffer list the tests can read; it adds no behaviour.
class ObservableRecord : public CVISACall {
public:
    struct Entry {
        std::string name;
        uint32_t type;
        int paramIndex;
        bool operator==(const Entry& o) const {
            return name == o.name && type == o.type && paramIndex == o.paramIndex;
        }
        friend std::ostream& operator<<(std::ostream& os, const Entry& e) {
            return os << "{" << e.name << ", " << e.type << ", " << e.paramIndex << "}";
        }
    };

    ObservableRecord() = default;
    // Copies `other` with CVISACall's copy constructor, list and all.
    explicit ObservableRecord(const CVISACall& other) : CVISACall(other) {}

    bool hasBufferList() const { return m_bufferList != nullptr; }
    void createEmptyBufferList() { m_bufferList = new tBufferList; }
    std::vector<Entry> bufferEntries() const {
        std::vector<Entry> entries;
        if (m_bufferList) {
            for (const tBufferInfo* e : *m_bufferList)
                entries.push_back({e->name.c_str(), e->type, e->paramIndex});
        }
        return entries;
    }
};

// A record that renders with `formatter` (a test's formatter that watches
// what the record asks of it) instead of the process-wide one.
template <class Formatter>
class RecordUsing : public ObservableRecord {
public:
    explicit RecordUsing(Formatter& formatter) { m_formatter = &formatter; }
};

inline ObservableRecord::Entry inputEntry(const char* name, int index) {
    return {name, IKoVeskCall::eLogDataInput, index};
}
inline ObservableRecord::Entry outputEntry(const char* name, int index) {
    return {name, IKoVeskCall::eLogDataOutput, index};
}

// One captured call as the host holds it: the two loggers and the record,
// driven through the record's host-facing operations.
template <class Record = ObservableRecord>
struct BasicCapturedCall {
    CKOVeskMemoryLogger input;
    CKOVeskMemoryLogger output;
    Record record;

    // `recordArguments` go to the record's constructor.
    template <class... Args>
    explicit BasicCapturedCall(const char* function, int functionId = 0x6342,
                               int apiType = nKoVeskLog210::kVisaApiType,
                               Args&&... recordArguments)
        : record(std::forward<Args>(recordArguments)...) {
        input.SetFunction(function, functionId, apiType);
        output.SetFunction(function, functionId, apiType);
    }

    // The host's entry of the call: ingestion, then the description.
    void enter(const std::vector<Param>& params) {
        addParams(input, params);
        bool handled = false;
        record.ProcessLoggerInput(&input, handled);
        record.FormatCallDescriptionInput();
    }
    // The host's return of the call: the output parameters, then the status
    // parameter (last), ingestion and the description.
    void returnWith(const std::vector<Param>& params, uint32_t status, bool success = true,
                    int statusType = code::kStatus) {
        addParams(output, params);
        output.SetReturnParamIndex(output.AddParam("status", statusType));
        const Bytes value = u32(status);
        output.SetParamBytes(output.GetReturnParamIndex(), value.data(), value.size());
        output.SetSuccessStatus(success);
        record.ProcessLoggerMatchingOutput(&output);
        record.FormatCallDescriptionOutput();
    }
    std::string description() const { return record.GetDescription().c_str(); }
};
using CapturedCall = BasicCapturedCall<>;

inline std::vector<std::string> strings(const std::vector<StringBase>& texts) {
    std::vector<std::string> result;
    for (const StringBase& t : texts) result.emplace_back(t.c_str(), t.length());
    return result;
}

// Every test starts and ends with the host as a fresh process has it: no
// per-API settings or information, no summary exports, no messages or help
// requests shown, no added status descriptions.
class CallRecordTest : public ::testing::Test {
protected:
    void SetUp() override { resetHost(); }
    void TearDown() override { resetHost(); }

    static void resetHost() {
        CKOVeskRegistry::ClearApiValues();
        CAppSettings::SetExportIsSummary(false);
        CVeskApiInfo::ResetAll();
        CVeskUtility::ResetMessageBoxes();
        CHelpLauncher::ResetRequests();
        CKOVeskLocalization::ClearStatusDescriptors();
        CKOVeskLocalization::SetLocaleLanguage(eKoVeskLocaleEnglish);
    }
};

}  // namespace call_test
