#include "replay/TraceQuery.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>

#include "replay/MessageText.h"
#include "replay/Options.h"

namespace vesk::replay {

namespace {

// The parameters one request accepts; the rest are refused.
class QueryReader {
public:
    QueryReader(const tQuery& query, std::initializer_list<std::string_view> accepted)
        : m_query(query), m_accepted(accepted) {}

    // Checks every parameter's name, length and uniqueness.
    bool Check(std::string& error) const {
        for (size_t i = 0; i < m_query.size(); ++i) {
            const std::string& name = m_query[i].first;
            bool known = false;
            for (const std::string_view accepted : m_accepted) known = known || name == accepted;
            if (!known) {
                error = "unknown parameter \"" + ShownInMessage(name) + "\"";
                return false;
            }
            for (size_t j = 0; j < i; ++j) {
                if (m_query[j].first == name) {
                    error = "parameter \"" + ShownInMessage(name) + "\" given more than once";
                    return false;
                }
            }
            if (m_query[i].second.size() > kMaxParameterBytes) {
                error = name + ": longer than " + std::to_string(kMaxParameterBytes) + " bytes";
                return false;
            }
        }
        return true;
    }

    // The value of `name`; null when it is absent.
    const std::string* Find(const char* name) const {
        for (const auto& [key, value] : m_query) {
            if (key == name) return &value;
        }
        return nullptr;
    }

    // A whole decimal number from `min` to `max`, when given.
    bool Number(const char* name, uint64_t min, uint64_t max, uint64_t& value, std::string& error) const {
        const std::string* text = Find(name);
        if (!text) return true;
        uint64_t parsed = 0;
        const char* end = text->data() + text->size();
        const bool digits = !text->empty() && text->find_first_not_of("0123456789") == std::string::npos;
        const auto result = std::from_chars(text->data(), end, parsed);
        if (!digits || result.ec != std::errc() || result.ptr != end || parsed < min || parsed > max) {
            error = std::string(name) + ": expected a whole number from " + std::to_string(min) + " to " +
                    std::to_string(max) + ", not \"" + ShownInMessage(*text) + "\"";
            return false;
        }
        value = parsed;
        return true;
    }

private:
    const tQuery& m_query;
    std::vector<std::string_view> m_accepted;  // copied: the caller's list ends with its statement
};

// One filter value read as the command line reads "--NAME=VALUE"; the
// message without the leading "--".
bool parseFilterOption(const char* name, const std::string& value, Options& options, std::string& error) {
    const std::string argument = std::string("--") + name + "=" + value;
    const char* arguments[] = {argument.c_str()};
    if (ParseOptions(1, arguments, options, error)) return true;
    if (error.compare(0, 2, "--") == 0) error.erase(0, 2);
    return false;
}

bool parseFilter(const QueryReader& reader, tTraceFilter& filter, std::string& error) {
    Options options;
    for (const char* name : {"calls", "function", "session", "thread"}) {
        const std::string* value = reader.Find(name);
        if (value && !value->empty() && !parseFilterOption(name, *value, options, error)) return false;
    }
    if (const std::string* errors = reader.Find("errors")) {
        if (*errors == "1" || *errors == "true") {
            options.filter.errorsOnly = true;
        } else if (!errors->empty() && *errors != "0" && *errors != "false") {
            error = "errors: expected 1 or 0, not \"" + ShownInMessage(*errors) + "\"";
            return false;
        }
    }
    filter.calls = options.filter;
    if (const std::string* text = reader.Find("text")) {
        if (text->size() > kMaxFilterTextBytes) {
            error = "text: longer than " + std::to_string(kMaxFilterTextBytes) + " bytes";
            return false;
        }
        filter.text = FoldAsciiCase(*text);
    }
    return true;
}

void appendField(std::string& key, char tag, std::string_view value) {
    key += tag;
    key += std::to_string(value.size());
    key += ':';
    key.append(value.data(), value.size());
}

}  // namespace

std::string FoldAsciiCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool ContainsFolded(std::string_view text, std::string_view folded) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const auto found = std::search(text.begin(), text.end(), folded.begin(), folded.end(),
                                   [&](char a, char b) { return fold(a) == b; });
    return found != text.end() || folded.empty();
}

std::string tTraceFilter::Key() const {
    std::string key;
    appendField(key, 'c', std::to_string(calls.firstCall) + "-" + std::to_string(calls.lastCall));
    appendField(key, 'e', calls.errorsOnly ? "1" : "0");
    for (const std::string& function : calls.functions) appendField(key, 'f', function);
    appendField(key, 's', calls.hasSession ? std::to_string(calls.session) : "");
    appendField(key, 't', calls.hasThread ? std::to_string(calls.thread) : "");
    appendField(key, 'x', text);
    return key;
}

bool ParseRowsRequest(const tQuery& query, tRowsRequest& request, std::string& error) {
    const QueryReader reader(query, {"first", "count", "calls", "errors", "function", "session", "thread", "text"});
    if (!reader.Check(error)) return false;
    uint64_t count = request.count;
    if (!reader.Number("first", 0, std::numeric_limits<int64_t>::max(), request.first, error) ||
        !reader.Number("count", 0, kMaxRowsPerRequest, count, error)) {
        return false;
    }
    request.count = static_cast<uint32_t>(count);
    return parseFilter(reader, request.filter, error);
}

bool ParseCallRequest(const tQuery& query, tCallRequest& request, std::string& error) {
    const QueryReader reader(query, {"number", "part", "lines"});
    if (!reader.Check(error)) return false;
    if (!reader.Find("number")) {
        error = "number: the call number is missing";
        return false;
    }
    uint64_t lines = request.lines;
    if (!reader.Number("number", 1, std::numeric_limits<int64_t>::max(), request.number, error) ||
        !reader.Number("lines", 0, kMaxDumpLinesPerRequest, lines, error)) {
        return false;
    }
    request.lines = static_cast<uint32_t>(lines);
    if (const std::string* part = reader.Find("part")) {
        if (*part == "pages") {
            request.part = eCallPart::Pages;
        } else if (*part == "export") {
            request.part = eCallPart::Export;
        } else if (*part == "xml") {
            request.part = eCallPart::Xml;
        } else {
            error = "part: expected pages, export or xml, not \"" + ShownInMessage(*part) + "\"";
            return false;
        }
    }
    return true;
}

bool ParseBufferRequest(const tQuery& query, tBufferRequest& request, std::string& error) {
    const QueryReader reader(query, {"number", "buffer", "first", "count"});
    if (!reader.Check(error)) return false;
    for (const char* required : {"number", "buffer"}) {
        if (!reader.Find(required)) {
            error = std::string(required) + ": missing";
            return false;
        }
    }
    uint64_t buffer = 0, count = request.count;
    if (!reader.Number("number", 1, std::numeric_limits<int64_t>::max(), request.number, error) ||
        !reader.Number("buffer", 0, std::numeric_limits<int32_t>::max(), buffer, error) ||
        !reader.Number("first", 0, std::numeric_limits<int32_t>::max(), request.first, error) ||
        !reader.Number("count", 0, kMaxDumpLinesPerRequest, count, error)) {
        return false;
    }
    request.buffer = static_cast<int32_t>(buffer);
    request.count = static_cast<uint32_t>(count);
    return true;
}

bool ParseNoParameters(const tQuery& query, std::string& error) {
    return QueryReader(query, {}).Check(error);
}

}  // namespace vesk::replay
