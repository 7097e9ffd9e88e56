// The requests of the browser view, read from their query parameters:
// which rows of which filtered view, which call, which dump lines.
//
// Every parameter is bounded: numbers are whole decimal numbers within the
// range the request allows, texts have a longest length, unknown and
// repeated parameters are refused. A request that breaks a rule is refused
// with a message that names the parameter, for an HTTP 400 answer. The
// filter parameters read as the command line's filters do, with the same
// syntax and checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "replay/CallFilter.h"

namespace vesk::replay {

// The filters of one view: the command line's, and a text.
struct tTraceFilter {
    tCallFilter calls;
    // Found in the call's description, letters A to Z matched regardless of
    // case; UTF-8, held with A to Z as a to z. Empty: any description.
    std::string text;

    // True when a call's number alone decides whether it is in the view.
    bool OnlyNumbers() const { return calls.OnlyNumbers() && text.empty(); }
    // The same text for the same filter, for finding a view made before.
    std::string Key() const;
};

// Letters A to Z as a to z; every other byte as it is.
std::string FoldAsciiCase(std::string_view text);

// True when `text` holds `folded` (a FoldAsciiCase text), letters A to Z
// matched regardless of case.
bool ContainsFolded(std::string_view text, std::string_view folded);

// The query parameters of a request, in their order.
using tQuery = std::vector<std::pair<std::string, std::string>>;

// Limits of one request.
inline constexpr uint32_t kMaxRowsPerRequest = 1000;
inline constexpr uint32_t kDefaultDumpLines = 1000;
inline constexpr uint32_t kMaxDumpLinesPerRequest = 10000;
inline constexpr size_t kMaxFilterTextBytes = 256;
inline constexpr size_t kMaxParameterBytes = 4096;

// GET /api/rows: `count` rows from position `first` (from 0) of the view.
struct tRowsRequest {
    tTraceFilter filter;
    uint64_t first = 0;
    uint32_t count = 100;
};

// What part of a call GET /api/call shows.
enum class eCallPart { Pages, Export, Xml };

// GET /api/call: call `number`, with at most `lines` lines of each dump.
struct tCallRequest {
    uint64_t number = 0;
    eCallPart part = eCallPart::Pages;
    uint32_t lines = kDefaultDumpLines;
};

// GET /api/buffer: `count` dump lines from line `first` of buffer `buffer`
// on the buffer page of call `number`.
struct tBufferRequest {
    uint64_t number = 0;
    int32_t buffer = 0;
    uint64_t first = 0;
    uint32_t count = kDefaultDumpLines;
};

// Each false, with `error` set, on a request it refuses.
bool ParseRowsRequest(const tQuery& query, tRowsRequest& request, std::string& error);
bool ParseCallRequest(const tQuery& query, tCallRequest& request, std::string& error);
bool ParseBufferRequest(const tQuery& query, tBufferRequest& request, std::string& error);
// A request that takes no parameters.
bool ParseNoParameters(const tQuery& query, std::string& error);

}  // namespace vesk::replay
