// --stats: per function name, the number of calls and of failed calls and
// the spread of their durations, as one table for the whole capture.
//
// Memory is bounded whatever the capture holds: each function keeps a
// DurationSummary, and past kMaxFunctions distinct names the rest share one
// row, "(other functions)".
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "replay/DurationSummary.h"
#include "replay/OutputBuffer.h"

namespace vesk::replay {

class CallStatistics {
public:
    static constexpr size_t kMaxFunctions = 1024;
    static constexpr char kOtherFunctions[] = "(other functions)";
    static constexpr char kAllCalls[] = "(all calls)";

    // One call of `function`; `durationSeconds` null when the capture has
    // no duration for it.
    void Add(std::string_view function, bool failed, const double* durationSeconds);

    // The table: a row per function, sorted by total duration, then by
    // number of calls (both descending), then by name; then the totals.
    // Durations in milliseconds with three decimals; empty where a row has
    // none. Aligned columns for a terminal, or CSV with a header line.
    void WriteTable(OutputBuffer& out) const;
    void WriteCsv(OutputBuffer& out) const;

private:
    struct tRow {
        tRow() = default;
        explicit tRow(const char* name) : function(name) {}
        std::string function;
        uint64_t calls = 0;
        uint64_t failed = 0;
        DurationSummary durations;
    };

    tRow& rowOf(std::string_view function);
    // The rows to show, in their order, the totals last.
    std::deque<const tRow*> orderedRows() const;

    std::deque<tRow> m_rows;  // stable addresses: m_index keys point into them
    std::unordered_map<std::string_view, tRow*> m_index;
    tRow m_other{kOtherFunctions};
    tRow m_all{kAllCalls};
};

}  // namespace vesk::replay
