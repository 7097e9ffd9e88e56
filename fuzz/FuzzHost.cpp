#include "fuzz/FuzzHost.h"

#include <climits>
#include <cwchar>
#include <string>

#include "host/CVeskApiInfo.h"
#include "host/HostSideServices.h"

namespace kovesk_fuzz {
namespace {

const char kSessionPrefix[] = "dummyses";

// Codes past the table and odd codes that a host could report.
const int kCodesBeyondTable[] = {0, 112, 255, -1, INT_MIN, INT_MAX, 1000, 111};
const int kApiTypes[] = {3, 3, 3, 2, 27, 5, 0, -7};
const int kElementSizes[] = {1, 2, 4, 8, 0, 3, -1, 16};
// Wide characters the narrow set may lack, surrogates and values past
// Unicode among them.
const wchar_t kUnusualWideCharacters[] = {
    L'\u00E9', L'\u20AC', L'\u4E2D', static_cast<wchar_t>(0xD800),
    static_cast<wchar_t>(0x10FFFF), static_cast<wchar_t>(0x110000),
    static_cast<wchar_t>(0x7FFFFFFF), static_cast<wchar_t>(-1)};

// The host's answer for the value-name callback of the current case.
struct tHostName {
    bool answers = false;
    bool fillsBuffer = false;  // writes `capacity` characters, no terminator
    std::wstring name;
};

tHostName g_hostName;

bool AnswerValueName(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t capacity,
                     wchar_t* buffer) {
    if (!g_hostName.answers || capacity == 0) return false;
    if (g_hostName.fillsBuffer) {
        for (uint32_t i = 0; i < capacity; ++i) {
            buffer[i] = g_hostName.name.empty() ? L'x' : g_hostName.name[i % g_hostName.name.size()];
        }
        return true;
    }
    const size_t length =
        g_hostName.name.size() < capacity - 1 ? g_hostName.name.size() : capacity - 1;
    std::wmemcpy(buffer, g_hostName.name.data(), length);
    buffer[length] = L'\0';
    return true;
}

std::string ParamName(FuzzInput& input, const std::string& previous, int kind) {
    switch (kind) {
    case 1: return kSessionPrefix;
    case 2: return kSessionPrefix + input.text(40);
    case 3: return previous;
    case 4: return "*" + previous;
    default: return input.text(48);
    }
}

int TypeCode(FuzzInput& input) {
    const uint8_t code = input.byte();
    return code <= 111 ? code : input.choose(kCodesBeyondTable);
}

}  // namespace

void SetUpHostOnce() {
    static const bool done = [] {
        nKoVeskHost::SetApiValue(eKoVeskApiVisa, StringBase("StatusPrefix"),
                                 StringBase("VISA"));
        return true;
    }();
    static_cast<void>(done);
}

void ReadLogger(FuzzInput& input, CKOVeskMemoryLogger& logger) {
    const std::string function = input.text(64);
    const int functionId = input.i32();
    const int apiType = input.choose(kApiTypes);
    logger.SetFunction(function.c_str(), functionId, apiType);
    logger.SetSuccessStatus(input.flag());
    const int count = input.byte() % (kMaxParams + 1);
    // -1 (none), a position, or one past the parameters.
    logger.SetReturnParamIndex(static_cast<int>(input.byte() % (count + 2)) - 1);

    std::string previous;
    for (int i = 0; i < count; ++i) {
        const uint8_t control = input.byte();
        const int nameKind = control & 7;
        const std::string name = ParamName(input, previous, nameKind);
        const int index = nameKind == 0 && (control & 0x80)
                              ? logger.AddParam(nullptr, TypeCode(input))
                              : logger.AddParam(name.data(), name.size(), TypeCode(input));
        previous = name;
        switch ((control >> 3) & 3) {
        case 0:
        case 1: {
            const ByteRun bytes = input.run(kMaxCapture);
            logger.SetParamBytes(index, bytes.data, bytes.size);
            break;
        }
        case 2:
            logger.SetParamSizeWithoutData(index, input.i32());
            break;
        default:
            break;  // nothing captured
        }
        logger.SetParamTruncated(index, (control & 0x20) != 0);
        if (control & 0x40) logger.SetParamFullSize(index, input.i32());
        logger.SetParamElementSize(index, input.choose(kElementSizes));
    }
}

void ReadHostNames(FuzzInput& input, int apiType) {
    nKoVeskHost::ResetApiInfo();
    const uint8_t control = input.byte();
    g_hostName.answers = (control & 1) != 0;
    g_hostName.fillsBuffer = (control & 6) == 6;
    g_hostName.name.clear();
    const ByteRun pattern = input.run(32);
    const size_t length = input.u16() % 1100;
    for (size_t i = 0; i < length && pattern.size > 0; ++i) {
        const uint8_t b = pattern.data[i % pattern.size];
        g_hostName.name.push_back(b < 0x80 ? static_cast<wchar_t>(b)
                                           : kUnusualWideCharacters[b % 8]);
    }
    CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(apiType));
    info->helpFilePath = (control & 32) ? StringBase("visa.chm") : StringBase();
    info->hasValueNames = (control & 8) != 0;
    info->valueNameCallback = (control & 16) ? nullptr : AnswerValueName;
}

}  // namespace kovesk_fuzz
