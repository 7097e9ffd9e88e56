#include "replay/JsonNumbers.h"

#include <cfloat>
#include <cmath>

namespace vesk::replay {

namespace ondemand = simdjson::ondemand;

namespace {

bool inRange(tJsonInteger value, tIntegerRange range) {
    if (value.negative) return range.min < 0 && static_cast<int64_t>(value.bits) >= range.min;
    return value.bits <= range.max;
}

bool isTrailingBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A number's token without the blanks (and carriage return) after it.
std::string_view withoutTrailingBlanks(std::string_view token) {
    while (!token.empty() && isTrailingBlank(token.back())) token.remove_suffix(1);
    return token;
}

bool failJson(simdjson::error_code code, tNumberFailure& failure) {
    failure = {};
    failure.kind = eNumberFailure::Json;
    failure.json = code;
    return false;
}

bool failType(ondemand::json_type type, tNumberFailure& failure) {
    failure = {};
    failure.kind = eNumberFailure::WrongType;
    failure.type = type;
    return false;
}

bool failText(eNumberFailure kind, std::string_view text, tNumberFailure& failure) {
    failure = {};
    failure.kind = kind;
    failure.text = text;
    return false;
}

bool failIntegerRange(std::string_view token, tIntegerRange range, tNumberFailure& failure) {
    failText(eNumberFailure::IntegerOutOfRange, withoutTrailingBlanks(token), failure);
    failure.range = range;
    return false;
}

// The special values the real keys accept as strings.
bool specialReal(std::string_view text, double& value) {
    if (text == "nan") {
        value = std::numeric_limits<double>::quiet_NaN();
    } else if (text == "inf") {
        value = std::numeric_limits<double>::infinity();
    } else if (text == "-inf") {
        value = -std::numeric_limits<double>::infinity();
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool ReadJsonInteger(ondemand::value& value, tIntegerRange range, tJsonInteger& out,
                     tNumberFailure& failure) {
    // The common case first; anything else is looked at again below to say
    // what is wrong with it.
    int64_t fast = 0;
    if (!value.get_int64().get(fast)) {
        out.negative = fast < 0;
        out.bits = static_cast<uint64_t>(fast);
        if (inRange(out, range)) return true;
    }
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code, failure);
    if (type != ondemand::json_type::number) return failType(type, failure);
    const std::string_view token = value.raw_json_token();
    ondemand::number_type numberType;
    if (auto code = value.get_number_type().get(numberType)) return failJson(code, failure);
    if (numberType == ondemand::number_type::floating_point_number) {
        return failText(eNumberFailure::NotAnInteger, token, failure);
    }
    out = tJsonInteger{};
    if (numberType == ondemand::number_type::unsigned_integer) {
        if (value.get_uint64().get(out.bits)) return failIntegerRange(token, range, failure);
    } else {
        int64_t signedValue = 0;
        if (value.get_int64().get(signedValue)) return failIntegerRange(token, range, failure);
        out.negative = signedValue < 0;
        out.bits = static_cast<uint64_t>(signedValue);
    }
    if (!inRange(out, range)) return failIntegerRange(token, range, failure);
    return true;
}

bool ReadJsonReal(ondemand::value& value, size_t width, double& out, tNumberFailure& failure) {
    ondemand::json_type type;
    if (auto code = value.type().get(type)) return failJson(code, failure);
    if (type == ondemand::json_type::string) {
        std::string_view text;
        if (auto code = value.get_string().get(text)) return failJson(code, failure);
        if (specialReal(text, out)) return true;
        return failText(eNumberFailure::UnknownRealName, text, failure);
    }
    if (type != ondemand::json_type::number) return failType(type, failure);
    const std::string_view token = withoutTrailingBlanks(value.raw_json_token());
    const double largest = width == sizeof(float) ? FLT_MAX : DBL_MAX;
    if (value.get_double().get(out) || std::fabs(out) > largest) {
        failText(eNumberFailure::RealOutOfRange, token, failure);
        failure.width = width;
        return false;
    }
    return true;
}

}  // namespace vesk::replay
