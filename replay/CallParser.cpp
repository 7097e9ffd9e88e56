#include "replay/CallParser.h"

#include <simdjson.h>

#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "replay/CaptureLimits.h"
#include "replay/HexDecoder.h"
#include "replay/JsonNumbers.h"
#include "replay/MessageText.h"
#include "replay/VisaFunctions.h"

namespace vesk::replay {

namespace ondemand = simdjson::ondemand;

static_assert(kLinePadding >= simdjson::SIMDJSON_PADDING,
              "a line must be followed by the padding the JSON parser reads");

namespace {

// Where in a call the parser is, for messages: "in[2]", "out.params[0]" or
// the call object itself.
enum class eSection { Call, Output, Input, OutputParams };

// --- keys ----------------------------------------------------------------------

// The keys of the call object, in the order of eCallKey.
enum class eCallKey { Function, Id, Api, In, Out, Time, Duration, Thread, Process };
constexpr std::string_view kCallKeys[] = {"function", "id",       "api",    "in",     "out",
                                          "time",     "duration", "thread", "process"};

// The keys of the output object, in the order of eOutputKey.
enum class eOutputKey { Params, Ret, Ok, Matching };
constexpr std::string_view kOutputKeys[] = {"params", "ret", "ok", "matching"};

// The bit of a call or output key in a set of keys met.
template <typename eKey>
constexpr uint32_t keyBit(eKey key) {
    return 1u << static_cast<unsigned>(key);
}

// What a key of a parameter object sets.
enum class eParamKey { Name, Type, Size, Truncated, FullSize, ElementSize, Value };

// How a value key gives the parameter's bytes; a parameter has at most one.
enum class eValueKey { None, Hex, Text, Unsigned, Signed, Real };

struct tParamKeyInfo {
    std::string_view name;
    eParamKey key;
    eValueKey valueKey;   // for eParamKey::Value
    size_t width;         // bytes of a typed value (integer or real); 0 for hex and text
    tIntegerRange range;  // the values of an integer key
};

constexpr tParamKeyInfo kParamKeys[] = {
    {"name", eParamKey::Name, eValueKey::None, 0, {}},
    {"type", eParamKey::Type, eValueKey::None, 0, {}},
    {"size", eParamKey::Size, eValueKey::None, 0, {}},
    {"truncated", eParamKey::Truncated, eValueKey::None, 0, {}},
    {"fullSize", eParamKey::FullSize, eValueKey::None, 0, {}},
    {"elementSize", eParamKey::ElementSize, eValueKey::None, 0, {}},
    {"hex", eParamKey::Value, eValueKey::Hex, 0, {}},
    {"text", eParamKey::Value, eValueKey::Text, 0, {}},
    {"u8", eParamKey::Value, eValueKey::Unsigned, 1, IntegerRangeOf(1, false)},
    {"u16", eParamKey::Value, eValueKey::Unsigned, 2, IntegerRangeOf(2, false)},
    {"u32", eParamKey::Value, eValueKey::Unsigned, 4, IntegerRangeOf(4, false)},
    {"u64", eParamKey::Value, eValueKey::Unsigned, 8, IntegerRangeOf(8, false)},
    {"i8", eParamKey::Value, eValueKey::Signed, 1, IntegerRangeOf(1, true)},
    {"i16", eParamKey::Value, eValueKey::Signed, 2, IntegerRangeOf(2, true)},
    {"i32", eParamKey::Value, eValueKey::Signed, 4, IntegerRangeOf(4, true)},
    {"i64", eParamKey::Value, eValueKey::Signed, 8, IntegerRangeOf(8, true)},
    {"f32", eParamKey::Value, eValueKey::Real, 4, {}},
    {"f64", eParamKey::Value, eValueKey::Real, 8, {}},
};
static_assert(std::size(kParamKeys) <= 32, "one bit per key in a 32-bit set");

// The entries of kParamKeys by the first character of their name, one bit
// per entry.
struct tParamKeyIndex {
    uint32_t byFirstCharacter[128];
};

constexpr tParamKeyIndex makeParamKeyIndex() {
    tParamKeyIndex index{};
    for (size_t i = 0; i < std::size(kParamKeys); ++i) {
        index.byFirstCharacter[static_cast<unsigned char>(kParamKeys[i].name[0])] |= 1u << i;
    }
    return index;
}

constexpr tParamKeyIndex kParamKeyIndex = makeParamKeyIndex();

// The entry of `key`, null for an unknown key. Parameters are the bulk of a
// capture: the first character leaves one to four entries to compare.
const tParamKeyInfo* findParamKey(std::string_view key) {
    if (key.empty() || static_cast<unsigned char>(key[0]) >= std::size(kParamKeyIndex.byFirstCharacter))
        return nullptr;
    for (uint32_t candidates = kParamKeyIndex.byFirstCharacter[static_cast<unsigned char>(key[0])];
         candidates != 0; candidates &= candidates - 1) {
        const tParamKeyInfo& info = kParamKeys[__builtin_ctz(candidates)];
        if (info.name == key) return &info;
    }
    return nullptr;
}

// The key of an object field. Keys are nearly always plain: those are read
// in place; only a key with an escape is unescaped (into the parser's
// string buffer).
simdjson::error_code readKey(simdjson::simdjson_result<ondemand::field>& result,
                             std::string_view& key) {
    if (auto code = result.error()) return code;
    ondemand::field& field = result.value_unsafe();
    const char* raw = field.key().raw();
    const char* end = raw;
    while (*end != '"' && *end != '\\') ++end;  // the line is padded and checked
    if (*end == '"') {
        key = std::string_view(raw, static_cast<size_t>(end - raw));
        return simdjson::SUCCESS;
    }
    return field.unescaped_key().get(key);
}

// --- documents that are no call ---------------------------------------------------

// Reads a document that is not an object to its end: SUCCESS when it is
// valid JSON of `type`, else the error that shows it is not JSON.
simdjson::error_code validateNonObject(ondemand::document& document, ondemand::json_type type) {
    simdjson::error_code code = simdjson::SUCCESS;
    switch (type) {
        case ondemand::json_type::array: {
            ondemand::array array;
            if ((code = document.get_array().get(array))) return code;
            for (auto element : array) {
                if ((code = element.error())) return code;
            }
            break;
        }
        case ondemand::json_type::object: break;
        case ondemand::json_type::number: code = document.get_number().error(); break;
        case ondemand::json_type::string: code = document.get_string().error(); break;
        case ondemand::json_type::boolean: code = document.get_bool().error(); break;
        case ondemand::json_type::null: {
            bool isNull = false;
            if ((code = document.is_null().get(isNull))) return code;
            if (!isNull) code = simdjson::N_ATOM_ERROR;
            break;
        }
    }
    if (code) return code;
    const char* rest = nullptr;
    if (!document.current_location().get(rest)) return simdjson::TAPE_ERROR;
    return simdjson::SUCCESS;
}

// --- words of the messages ------------------------------------------------------------

// A JSON value's type, as "got ..." names it.
const char* describeType(ondemand::json_type type) {
    switch (type) {
        case ondemand::json_type::array: return "an array";
        case ondemand::json_type::object: return "an object";
        case ondemand::json_type::number: return "a number";
        case ondemand::json_type::string: return "a string";
        case ondemand::json_type::boolean: return "a boolean";
        case ondemand::json_type::null: return "null";
    }
    return "an unknown value";
}

// Why a function or parameter name cannot be shown, or null when it can:
// names are identifiers, so a control character (C0 or DEL) has no place
// in them, and their length is bounded.
const char* nameProblem(std::string_view name, char* detail, size_t size) {
    if (name.size() > kMaxNameBytes) {
        std::snprintf(detail, size, "%zu bytes are more than the %zu a name may have", name.size(),
                      kMaxNameBytes);
        return detail;
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(detail, size,
                          "a name may not hold the control character \\x%02X: \"%s\"",
                          byte, ShownInMessage(name).c_str());
            return detail;
        }
    }
    return nullptr;
}

// What a real key expects.
constexpr const char* kExpectedReal = "a number, \"nan\", \"inf\" or \"-inf\"";

// What the bytes of one zero-length capture point at (the logger refuses a
// null pointer with data).
const unsigned char kNoBytes[1] = {0};

}  // namespace

class CallParser::Impl {
public:
    bool Parse(const char* line, size_t length, CapturedCall& call, std::string& error);
    // Gives back the scratch memory that a large line made grow.
    void ReleaseLargeScratch();

private:
    // One parameter object's keys, gathered before the parameter is added.
    struct tParamFields {
        bool hasName = false;
        std::string_view name;
        bool hasType = false;
        int32_t type = 0;
        const tParamKeyInfo* valueKey = nullptr;
        const unsigned char* data = nullptr;
        size_t count = 0;
        // Holds a typed value's bytes; only the `count` written are read, so
        // it is not cleared (this is made anew for every parameter).
        unsigned char scalar[8];
        bool hasSize = false;
        int32_t size = 0;
        bool truncated = false;
        int32_t fullSize = 0;
        bool hasElementSize = false;
        int32_t elementSize = 1;
    };

    template <typename eKey, size_t kKeyCount>
    std::optional<eKey> takeKey(std::string_view key, const std::string_view (&keys)[kKeyCount],
                                uint32_t& seen);
    bool parseCall(ondemand::object& object, CapturedCall& call);
    bool parseOutput(ondemand::value& value, CapturedCall& call, int& returnIndex,
                     bool& hasReturnIndex);
    bool parseParams(ondemand::value& value, CKOVeskMemoryLogger& logger, eSection section);
    bool parseParam(ondemand::value& value, CKOVeskMemoryLogger& logger);
    bool parseParamKey(const tParamKeyInfo& info, ondemand::value& value, tParamFields& fields);
    bool parseValueKey(const tParamKeyInfo& info, ondemand::value& value, tParamFields& fields);
    bool addParam(const tParamFields& fields, CKOVeskMemoryLogger& logger);

    bool readInteger(ondemand::value& value, std::string_view key, tIntegerRange range,
                     tJsonInteger& out);
    bool readInt32(ondemand::value& value, std::string_view key, tIntegerRange range, int32_t& out);
    bool readReal(ondemand::value& value, std::string_view key, size_t width, double& out);
    bool readBool(ondemand::value& value, std::string_view key, bool& out);
    bool readString(ondemand::value& value, std::string_view key, std::string_view& out);
    bool readHexText(ondemand::value& value, std::string_view key, std::string_view& out);
    bool readTime(ondemand::value& value, std::string_view key, tTimeStamp& out);
    bool readDuration(ondemand::value& value, std::string_view key, double& seconds);
    bool readId(ondemand::value& value, std::string_view key, uint64_t& out);

    // Failures. Each writes the message, prefixed with the current place.
    bool fail(std::string_view key, const char* format, ...) __attribute__((format(printf, 3, 4)));
    bool failJson(simdjson::error_code code);
    bool failType(std::string_view key, ondemand::value& value, const char* expected);
    bool failNumber(std::string_view key, const tNumberFailure& failure, const char* expected);
    bool failHex(std::string_view key, const tHexFailure& failure);

    ondemand::parser m_parser;
    std::string m_function;
    std::vector<unsigned char> m_hexBytes;
    std::string* m_error = nullptr;
    eSection m_section = eSection::Call;
    size_t m_paramIndex = 0;
};

// --- failures ----------------------------------------------------------------

bool CallParser::Impl::fail(std::string_view key, const char* format, ...) {
    std::string& error = *m_error;
    error.clear();
    char place[64] = "";
    switch (m_section) {
        case eSection::Call: break;
        case eSection::Output: std::snprintf(place, sizeof place, "out"); break;
        case eSection::Input:
            std::snprintf(place, sizeof place, "in[%zu]", m_paramIndex);
            break;
        case eSection::OutputParams:
            std::snprintf(place, sizeof place, "out.params[%zu]", m_paramIndex);
            break;
    }
    error += place;
    if (!key.empty()) {
        if (!error.empty()) error += '.';
        error.append(key.data(), key.size());
    }
    if (!error.empty()) error += ": ";
    char detail[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(detail, sizeof detail, format, arguments);
    va_end(arguments);
    error += detail;
    return false;
}

bool CallParser::Impl::failJson(simdjson::error_code code) {
    m_section = eSection::Call;
    return fail({}, "invalid JSON: %s", simdjson::error_message(code));
}

bool CallParser::Impl::failType(std::string_view key, ondemand::value& value,
                                const char* expected) {
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code);
    return fail(key, "expected %s, got %s", expected, describeType(type));
}

bool CallParser::Impl::failNumber(std::string_view key, const tNumberFailure& failure,
                                  const char* expected) {
    const std::string text = ShownInMessage(failure.text);
    switch (failure.kind) {
        case eNumberFailure::Json: break;
        case eNumberFailure::WrongType:
            return fail(key, "expected %s, got %s", expected, describeType(failure.type));
        case eNumberFailure::NotAnInteger:
            return fail(key, "expected %s, got %s", expected, text.c_str());
        case eNumberFailure::IntegerOutOfRange:
            return fail(key, "%s is out of range %" PRId64 "..%" PRIu64, text.c_str(),
                        failure.range.min, failure.range.max);
        case eNumberFailure::RealOutOfRange:
            return fail(key, "%s is out of range of a %d-bit real", text.c_str(),
                        static_cast<int>(failure.width * 8));
        case eNumberFailure::UnknownRealName:
            return fail(key, "expected %s, got \"%s\"", expected, text.c_str());
    }
    return failJson(failure.json);
}

bool CallParser::Impl::failHex(std::string_view key, const tHexFailure& failure) {
    // Characters are counted from 1, as a text editor counts columns.
    switch (failure.kind) {
        case eHexFailure::BadDigit:
            return fail(key, "bad hex: '%s' at character %zu is not a hexadecimal digit",
                        ShownInMessage(std::string_view(&failure.character, 1)).c_str(),
                        failure.position + 1);
        case eHexFailure::OddDigitCount:
            return fail(key, "bad hex: odd number of hexadecimal digits");
        case eHexFailure::BlankInsidePair:
            return fail(key, "bad hex: blank inside the digit pair at character %zu",
                        failure.position + 1);
    }
    return false;
}

// --- values --------------------------------------------------------------------

bool CallParser::Impl::readInteger(ondemand::value& value, std::string_view key,
                                   tIntegerRange range, tJsonInteger& out) {
    tNumberFailure failure;
    if (ReadJsonInteger(value, range, out, failure)) return true;
    return failNumber(key, failure, "an integer");
}

bool CallParser::Impl::readInt32(ondemand::value& value, std::string_view key,
                                 tIntegerRange range, int32_t& out) {
    tJsonInteger integer;
    if (!readInteger(value, key, range, integer)) return false;
    out = static_cast<int32_t>(static_cast<int64_t>(integer.bits));
    return true;
}

bool CallParser::Impl::readReal(ondemand::value& value, std::string_view key, size_t width,
                                double& out) {
    tNumberFailure failure;
    if (ReadJsonReal(value, width, out, failure)) return true;
    return failNumber(key, failure, kExpectedReal);
}

bool CallParser::Impl::readBool(ondemand::value& value, std::string_view key, bool& out) {
    if (!value.get_bool().get(out)) return true;
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code);
    if (type != ondemand::json_type::boolean) return failType(key, value, "a boolean");
    if (auto code = value.get_bool().get(out)) return failJson(code);
    return true;
}

bool CallParser::Impl::readString(ondemand::value& value, std::string_view key,
                                  std::string_view& out) {
    if (!value.get_string().get(out)) return true;
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code);
    if (type != ondemand::json_type::string) return failType(key, value, "a string");
    if (auto code = value.get_string().get(out)) return failJson(code);
    return true;
}

bool CallParser::Impl::readHexText(ondemand::value& value, std::string_view key,
                                   std::string_view& out) {
    // Hexadecimal digits need no unescaping: a string without a backslash
    // is read where it stands in the line, sparing the JSON parser's
    // unescaped copy of what may be megabytes. The line has been validated
    // as JSON (UTF-8, no raw control characters), so the text is the same.
    ondemand::json_type type;
    if (!value.type().get(type) && type == ondemand::json_type::string) {
        std::string_view token = value.raw_json_token();  // quotes and the blanks after
        while (!token.empty() && (token.back() == ' ' || token.back() == '\t' ||
                                  token.back() == '\n' || token.back() == '\r')) {
            token.remove_suffix(1);
        }
        if (token.size() >= 2 && token.front() == '"' && token.back() == '"') {
            const std::string_view text = token.substr(1, token.size() - 2);
            if (!std::memchr(text.data(), '\\', text.size())) {
                out = text;
                return true;
            }
        }
    }
    return readString(value, key, out);
}

bool CallParser::Impl::readTime(ondemand::value& value, std::string_view key, tTimeStamp& out) {
    std::string_view text;
    if (!readString(value, key, text)) return false;
    const char* reason = nullptr;
    if (ParseTimeStamp(text, out, reason)) return true;
    return fail(key, "%s, not \"%s\"", reason, ShownInMessage(text).c_str());
}

bool CallParser::Impl::readDuration(ondemand::value& value, std::string_view key,
                                    double& seconds) {
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code);
    if (type != ondemand::json_type::number) return failType(key, value, "a number of seconds");
    if (auto code = value.get_double().get(seconds)) return failJson(code);
    if (seconds < 0) {
        return fail(key, "%s is negative: a call takes 0 seconds or more",
                    ShownInMessage(value.raw_json_token()).c_str());
    }
    return true;
}

bool CallParser::Impl::readId(ondemand::value& value, std::string_view key, uint64_t& out) {
    tJsonInteger integer;
    if (!readInteger(value, key, IntegerRangeOf(8, false), integer)) return false;
    out = integer.bits;
    return true;
}

// --- parameters ----------------------------------------------------------------

bool CallParser::Impl::parseValueKey(const tParamKeyInfo& info, ondemand::value& value,
                                     tParamFields& fields) {
    if (fields.valueKey) {
        return fail({}, "more than one value key (\"%.*s\" and \"%.*s\")",
                    static_cast<int>(fields.valueKey->name.size()), fields.valueKey->name.data(),
                    static_cast<int>(info.name.size()), info.name.data());
    }
    fields.valueKey = &info;
    const std::string_view key = info.name;
    switch (info.valueKey) {
        case eValueKey::None: break;
        case eValueKey::Hex: {
            std::string_view text;
            if (!readHexText(value, key, text)) return false;
            tHexFailure failure;
            if (!DecodeHex(text, m_hexBytes, failure)) return failHex(key, failure);
            fields.data = m_hexBytes.data();
            fields.count = m_hexBytes.size();
            return true;
        }
        case eValueKey::Text: {
            std::string_view text;
            if (!readString(value, key, text)) return false;
            fields.data = reinterpret_cast<const unsigned char*>(text.data());
            fields.count = text.size();
            return true;
        }
        case eValueKey::Unsigned:
        case eValueKey::Signed: {
            tJsonInteger integer;
            if (!readInteger(value, key, info.range, integer)) return false;
            // Little-endian: the low bytes of the two's complement.
            for (size_t i = 0; i < info.width; ++i) {
                fields.scalar[i] = static_cast<unsigned char>(integer.bits >> (8 * i));
            }
            fields.data = fields.scalar;
            fields.count = info.width;
            return true;
        }
        case eValueKey::Real: {
            double real = 0;
            if (!readReal(value, key, info.width, real)) return false;
            if (info.width == sizeof(float)) {
                const float single = static_cast<float>(real);
                std::memcpy(fields.scalar, &single, sizeof single);
            } else {
                std::memcpy(fields.scalar, &real, sizeof real);
            }
            fields.data = fields.scalar;
            fields.count = info.width;
            return true;
        }
    }
    return true;
}

bool CallParser::Impl::parseParamKey(const tParamKeyInfo& info, ondemand::value& value,
                                     tParamFields& fields) {
    const std::string_view key = info.name;
    switch (info.key) {
        case eParamKey::Name: {
            bool isNull = false;
            if (auto code = value.is_null().get(isNull)) return failJson(code);
            if (isNull) return true;
            if (!readString(value, key, fields.name)) return false;
            char detail[256];
            if (const char* problem = nameProblem(fields.name, detail, sizeof detail)) {
                return fail(key, "%s", problem);
            }
            fields.hasName = true;
            return true;
        }
        case eParamKey::Type:
            fields.hasType = true;
            return readInt32(value, key, kInt32Range, fields.type);
        case eParamKey::Size:
            fields.hasSize = true;
            return readInt32(value, key, kSizeRange, fields.size);
        case eParamKey::Truncated: return readBool(value, key, fields.truncated);
        case eParamKey::FullSize: return readInt32(value, key, kSizeRange, fields.fullSize);
        case eParamKey::ElementSize:
            fields.hasElementSize = true;
            return readInt32(value, key, kSizeRange, fields.elementSize);
        case eParamKey::Value: return parseValueKey(info, value, fields);
    }
    return true;
}

bool CallParser::Impl::addParam(const tParamFields& fields, CKOVeskMemoryLogger& logger) {
    if (!fields.hasType) return fail({}, "missing required key \"type\"");
    if (fields.valueKey && fields.hasSize && static_cast<size_t>(fields.size) != fields.count) {
        return fail({}, "size %d does not match the %zu bytes of \"%.*s\"", fields.size, fields.count,
                    static_cast<int>(fields.valueKey->name.size()), fields.valueKey->name.data());
    }
    if (fields.count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        return fail({}, "%zu bytes are more than a parameter can hold", fields.count);
    }
    // The whole value cannot be smaller than the part of it captured (a
    // dump would show offsets before its start).
    const size_t captured = fields.valueKey ? fields.count : static_cast<size_t>(fields.size);
    if (fields.fullSize != 0 && static_cast<size_t>(fields.fullSize) < captured) {
        return fail("fullSize", "%d is smaller than the %zu bytes captured", fields.fullSize,
                    captured);
    }
    const int index = logger.AddParam(fields.hasName ? fields.name.data() : nullptr,
                                      fields.name.size(), fields.type);
    if (fields.valueKey && fields.valueKey->valueKey == eValueKey::Hex) {
        // Decoded bytes go to the logger as they are; the scratch gets the
        // logger's former storage back for the next value.
        logger.TakeParamBytes(index, m_hexBytes);
    } else if (fields.valueKey) {
        logger.SetParamBytes(index, fields.count ? fields.data : kNoBytes, fields.count);
    } else if (fields.hasSize) {
        logger.SetParamSizeWithoutData(index, fields.size);
    }
    // AddParam starts a parameter untruncated, with full size 0 and element
    // size 1: only what differs is set.
    if (fields.truncated) logger.SetParamTruncated(index, true);
    if (fields.fullSize != 0) logger.SetParamFullSize(index, fields.fullSize);
    int32_t elementSize = fields.elementSize;
    if (!fields.hasElementSize && fields.valueKey && fields.valueKey->width) {
        elementSize = static_cast<int32_t>(fields.valueKey->width);
    }
    if (elementSize != 1) logger.SetParamElementSize(index, elementSize);
    return true;
}

bool CallParser::Impl::parseParam(ondemand::value& value, CKOVeskMemoryLogger& logger) {
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code);
    if (type != ondemand::json_type::object) return failType({}, value, "an object");
    ondemand::object object;
    if (auto code = value.get_object().get(object)) return failJson(code);
    tParamFields fields;
    uint32_t seen = 0;  // one bit per entry of kParamKeys
    for (auto field : object) {
        std::string_view key;
        if (auto code = readKey(field, key)) return failJson(code);
        const tParamKeyInfo* info = findParamKey(key);
        if (!info) return fail({}, "unknown key \"%s\"", ShownInMessage(key).c_str());
        // A repeated key would silently replace the earlier one.
        const uint32_t bit = 1u << (info - kParamKeys);
        if (seen & bit) {
            return fail({}, "duplicate key \"%.*s\"", static_cast<int>(info->name.size()),
                        info->name.data());
        }
        seen |= bit;
        // The value is used where simdjson made it: a copy into a value of
        // our own is written field by field and read back whole, and the
        // processor stalls on that for every key of every parameter.
        auto fieldValue = field.value();
        if (auto code = fieldValue.error()) return failJson(code);
        if (!parseParamKey(*info, fieldValue.value_unsafe(), fields)) return false;
    }
    return addParam(fields, logger);
}

bool CallParser::Impl::parseParams(ondemand::value& value, CKOVeskMemoryLogger& logger,
                                   eSection section) {
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code);
    const std::string_view key = section == eSection::Input ? "in" : "params";
    if (type != ondemand::json_type::array) return failType(key, value, "an array");
    ondemand::array array;
    if (auto code = value.get_array().get(array)) return failJson(code);
    const eSection outer = m_section;
    m_section = section;
    m_paramIndex = 0;
    for (auto element : array) {
        if (auto code = element.error()) return failJson(code);
        if (m_paramIndex == kMaxParameters) {
            m_section = outer;
            return fail(key, "more than %zu parameters; a call may have at most %zu in each list",
                        kMaxParameters, kMaxParameters);
        }
        if (!parseParam(element.value_unsafe(), logger)) return false;
        ++m_paramIndex;
    }
    m_section = outer;
    return true;
}

// --- the call --------------------------------------------------------------------

bool CallParser::Impl::parseOutput(ondemand::value& value, CapturedCall& call, int& returnIndex,
                                   bool& hasReturnIndex) {
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code);
    if (type != ondemand::json_type::object) return failType("out", value, "an object");
    ondemand::object object;
    if (auto code = value.get_object().get(object)) return failJson(code);
    m_section = eSection::Output;
    call.hasOutput = true;
    uint32_t seen = 0;  // one bit per eOutputKey
    for (auto field : object) {
        std::string_view key;
        if (auto code = readKey(field, key)) return failJson(code);
        auto fieldResult = field.value();
        if (auto code = fieldResult.error()) return failJson(code);
        ondemand::value& fieldValue = fieldResult.value_unsafe();
        const std::optional<eOutputKey> taken = takeKey<eOutputKey>(key, kOutputKeys, seen);
        if (!taken) return false;
        switch (*taken) {
            case eOutputKey::Params:
                if (!parseParams(fieldValue, call.output, eSection::OutputParams)) return false;
                break;
            case eOutputKey::Ret: {
                int32_t index = 0;
                if (!readInt32(fieldValue, key, kInt32Range, index)) return false;
                returnIndex = index;
                hasReturnIndex = true;
                break;
            }
            case eOutputKey::Ok: {
                bool ok = true;
                if (!readBool(fieldValue, key, ok)) return false;
                call.output.SetSuccessStatus(ok);
                break;
            }
            case eOutputKey::Matching:
                if (!readBool(fieldValue, key, call.matching)) return false;
                break;
        }
    }
    // The return index names one of the output parameters, or none (-1);
    // it is checked once the parameters are known, whatever the key order.
    const int count = call.output.GetParamCount();
    if (hasReturnIndex && (returnIndex < -1 || returnIndex >= count)) {
        return fail("ret", "%d is out of range -1..%d (the output has %d parameters)", returnIndex,
                    count - 1, count);
    }
    call.output.SetReturnParamIndex(returnIndex);
    m_section = eSection::Call;
    return true;
}

// The key of `keys` (listed in the order of eKey) that `key` is, marked in
// `seen` (a bit a key); none, the failure written, for a key not among them
// or met before.
template <typename eKey, size_t kKeyCount>
std::optional<eKey> CallParser::Impl::takeKey(std::string_view key,
                                              const std::string_view (&keys)[kKeyCount],
                                              uint32_t& seen) {
    static_assert(kKeyCount <= 32, "one bit per key in a 32-bit set");
    for (size_t position = 0; position < kKeyCount; ++position) {
        if (keys[position] != key) continue;
        const uint32_t bit = 1u << position;
        if (seen & bit) {
            fail({}, "duplicate key \"%s\"", ShownInMessage(key).c_str());
            return std::nullopt;
        }
        seen |= bit;
        return static_cast<eKey>(position);
    }
    fail({}, "unknown key \"%s\"", ShownInMessage(key).c_str());
    return std::nullopt;
}

bool CallParser::Impl::parseCall(ondemand::object& object, CapturedCall& call) {
    uint32_t seen = 0;  // one bit per eCallKey
    int32_t functionId = -1;
    bool hasFunctionId = false;
    int32_t apiType = eKoVeskApiVisa;
    int returnIndex = -1;
    bool hasReturnIndex = false;
    for (auto field : object) {
        std::string_view key;
        if (auto code = readKey(field, key)) return failJson(code);
        auto valueResult = field.value();
        if (auto code = valueResult.error()) return failJson(code);
        ondemand::value& value = valueResult.value_unsafe();
        const std::optional<eCallKey> taken = takeKey<eCallKey>(key, kCallKeys, seen);
        if (!taken) return false;
        switch (*taken) {
            case eCallKey::Function: {
                std::string_view name;
                if (!readString(value, key, name)) return false;
                char detail[256];
                if (const char* problem = nameProblem(name, detail, sizeof detail)) {
                    return fail(key, "%s", problem);
                }
                m_function.assign(name.data(), name.size());
                break;
            }
            case eCallKey::Id:
                if (!readInt32(value, key, kInt32Range, functionId)) return false;
                hasFunctionId = true;
                break;
            case eCallKey::Api:
                if (!readInt32(value, key, kInt32Range, apiType)) return false;
                break;
            case eCallKey::In:
                if (!parseParams(value, call.input, eSection::Input)) return false;
                break;
            case eCallKey::Out:
                if (!parseOutput(value, call, returnIndex, hasReturnIndex)) return false;
                break;
            case eCallKey::Time:
                if (!readTime(value, key, call.time)) return false;
                call.hasTime = true;
                break;
            case eCallKey::Duration:
                if (!readDuration(value, key, call.durationSeconds)) return false;
                call.hasDuration = true;
                break;
            case eCallKey::Thread:
                if (!readId(value, key, call.thread)) return false;
                call.hasThread = true;
                break;
            case eCallKey::Process:
                if (!readId(value, key, call.process)) return false;
                call.hasProcess = true;
                break;
        }
    }
    if (!(seen & keyBit(eCallKey::Function))) return fail({}, "missing required key \"function\"");
    if (!(seen & keyBit(eCallKey::In))) return fail({}, "missing required key \"in\"");
    // A call without its identifier is one of the VISA operations, or none.
    if (!hasFunctionId) functionId = FindVisaFunctionId(m_function);
    // Both loggers describe the same call.
    call.input.SetFunction(m_function.c_str(), functionId, apiType);
    if (call.hasOutput) call.output.SetFunction(m_function.c_str(), functionId, apiType);
    return true;
}

bool CallParser::Impl::Parse(const char* line, size_t length, CapturedCall& call,
                             std::string& error) {
    m_error = &error;
    m_section = eSection::Call;
    call.Clear();
    // JSON text never holds a raw NUL byte (a string spells it \u0000); say
    // so rather than let it end some other message early.
    if (const void* nul = std::memchr(line, '\0', length)) {
        return fail({}, "invalid JSON: a NUL byte at character %zu",
                    static_cast<size_t>(static_cast<const char*>(nul) - line) + 1);
    }
    ondemand::document document;
    if (auto code = m_parser.iterate(line, length, length + kLinePadding).get(document)) {
        return failJson(code);
    }
    ondemand::json_type type;
    if (auto code = document.type().get(type)) return failJson(code);
    if (type != ondemand::json_type::object) {
        // The type is told by the first character alone: a line that is
        // not JSON at all must not read as "got null".
        if (auto code = validateNonObject(document, type)) return failJson(code);
        return fail({}, "expected a call object, got %s", describeType(type));
    }
    ondemand::object object;
    if (auto code = document.get_object().get(object)) return failJson(code);
    if (!parseCall(object, call)) return false;
    // Anything after the call object (a second object, a stray brace).
    const char* rest = nullptr;
    if (!document.current_location().get(rest)) {
        return fail({}, "invalid JSON: unexpected content after the call object");
    }
    return true;
}

void CallParser::Impl::ReleaseLargeScratch() {
    if (m_parser.capacity() > kKeptScratchBytes) m_parser = ondemand::parser();
    if (m_hexBytes.capacity() > kKeptScratchBytes) std::vector<unsigned char>().swap(m_hexBytes);
}

// --- CallParser ------------------------------------------------------------------

CallParser::CallParser() : m_impl(std::make_unique<Impl>()) {}

CallParser::~CallParser() = default;

bool CallParser::Parse(const char* line, size_t length, CapturedCall& call) {
    const bool parsed = m_impl->Parse(line, length, call, m_error);
    m_impl->ReleaseLargeScratch();
    return parsed;
}

bool CallParser::ParseCopy(std::string_view line, CapturedCall& call) {
    m_paddedCopy.assign(line.data(), line.size());
    m_paddedCopy.append(kLinePadding, '\0');
    const bool parsed = m_impl->Parse(m_paddedCopy.data(), line.size(), call, m_error);
    m_impl->ReleaseLargeScratch();
    return parsed;
}

}  // namespace vesk::replay
