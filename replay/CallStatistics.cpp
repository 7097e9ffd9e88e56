#include "replay/CallStatistics.h"

#include <algorithm>
#include <array>
#include <vector>

#include "replay/TimeStamp.h"

namespace vesk::replay {

namespace {

constexpr const char* kColumns[] = {"function", "calls", "failed", "total", "mean",
                                    "median", "p95", "max"};
constexpr size_t kColumnCount = std::size(kColumns);

// The texts of one row's cells.
using tCells = std::array<std::string, kColumnCount>;

std::string milliseconds(double seconds) {
    char text[kMillisecondsTextSize];
    return std::string(text, FormatMilliseconds(seconds, text));
}

// A CSV field: quoted when it holds a comma, a quotation mark or a line break.
void appendCsvField(OutputBuffer& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.Append(field);
        return;
    }
    out.Append('"');
    for (const char c : field) {
        if (c == '"') out.Append('"');
        out.Append(c);
    }
    out.Append('"');
}

void appendPadding(OutputBuffer& out, size_t count) {
    for (size_t i = 0; i < count; ++i) out.Append(' ');
}

}  // namespace

CallStatistics::tRow& CallStatistics::rowOf(std::string_view function) {
    const auto found = m_index.find(function);
    if (found != m_index.end()) return *found->second;
    if (m_rows.size() >= kMaxFunctions) return m_other;
    tRow& row = m_rows.emplace_back();
    row.function.assign(function.data(), function.size());
    m_index.emplace(row.function, &row);
    return row;
}

void CallStatistics::Add(std::string_view function, bool failed, const double* durationSeconds) {
    for (tRow* row : {&rowOf(function), &m_all}) {
        ++row->calls;
        if (failed) ++row->failed;
        if (durationSeconds) row->durations.Add(*durationSeconds);
    }
}

std::deque<const CallStatistics::tRow*> CallStatistics::orderedRows() const {
    std::deque<const tRow*> rows;
    for (const tRow& row : m_rows) rows.push_back(&row);
    if (m_other.calls > 0) rows.push_back(&m_other);
    std::sort(rows.begin(), rows.end(), [](const tRow* a, const tRow* b) {
        if (a->durations.Total() != b->durations.Total()) {
            return a->durations.Total() > b->durations.Total();
        }
        if (a->calls != b->calls) return a->calls > b->calls;
        return a->function < b->function;
    });
    rows.push_back(&m_all);
    return rows;
}

namespace {

template <class Row>
tCells cellsOf(const Row& row) {
    tCells cells{row.function, std::to_string(row.calls), std::to_string(row.failed)};
    const DurationSummary& d = row.durations;
    if (d.Count() > 0) {
        cells[3] = milliseconds(d.Total());
        cells[4] = milliseconds(d.Mean());
        cells[5] = milliseconds(d.Percentile(50));
        cells[6] = milliseconds(d.Percentile(95));
        cells[7] = milliseconds(d.Max());
    }
    return cells;
}

}  // namespace

void CallStatistics::WriteTable(OutputBuffer& out) const {
    std::vector<tCells> table;
    tCells header;
    for (size_t c = 0; c < kColumnCount; ++c) header[c] = kColumns[c];
    // Durations are in milliseconds; the header says so once per column.
    for (size_t c = 3; c < kColumnCount; ++c) header[c] += " ms";
    table.push_back(header);
    for (const tRow* row : orderedRows()) table.push_back(cellsOf(*row));

    size_t widths[kColumnCount] = {};
    for (const tCells& cells : table) {
        for (size_t c = 0; c < kColumnCount; ++c) widths[c] = std::max(widths[c], cells[c].size());
    }
    for (const tCells& cells : table) {
        // The name left-aligned, the numbers right-aligned, two blanks
        // apart; a row without durations ends after its last number.
        size_t last = kColumnCount - 1;
        while (last > 0 && cells[last].empty()) --last;
        out.Append(cells[0]);
        size_t padding = widths[0] - cells[0].size();
        for (size_t c = 1; c <= last; ++c) {
            appendPadding(out, padding + 2 + widths[c] - cells[c].size());
            out.Append(cells[c]);
            padding = 0;
        }
        out.Append('\n');
    }
}

void CallStatistics::WriteCsv(OutputBuffer& out) const {
    for (size_t c = 0; c < kColumnCount; ++c) {
        if (c > 0) out.Append(',');
        out.Append(kColumns[c]);
    }
    out.Append('\n');
    for (const tRow* row : orderedRows()) {
        const tCells cells = cellsOf(*row);
        for (size_t c = 0; c < kColumnCount; ++c) {
            if (c > 0) out.Append(',');
            appendCsvField(out, cells[c]);
        }
        out.Append('\n');
    }
}

}  // namespace vesk::replay
