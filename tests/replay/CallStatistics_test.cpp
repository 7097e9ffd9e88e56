// --stats: figures worked out by hand, the order of the rows, both layouts.
#include "replay/CallStatistics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vesk::replay {
namespace {

std::string render(const CallStatistics& stats, bool csv) {
    std::FILE* file = std::tmpfile();
    {
        OutputBuffer out(file);
        if (csv) stats.WriteCsv(out);
        else stats.WriteTable(out);
    }
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

// viRead: 1, 2, 3, 10 ms, one failed: total 16, mean 4, median 2, p95 10.
// viWrite: 5 ms twice. viClose: no durations at all. Sorted by total, then
// calls; a function without durations has empty duration cells.
CallStatistics handWorkedCapture() {
    CallStatistics stats;
    const double ms[] = {0.001, 0.002, 0.003, 0.010, 0.005};
    stats.Add("viRead", false, &ms[2]);
    stats.Add("viWrite", false, &ms[4]);
    stats.Add("viRead", true, &ms[3]);
    stats.Add("viClose", false, nullptr);
    stats.Add("viRead", false, &ms[0]);
    stats.Add("viWrite", false, &ms[4]);
    stats.Add("viRead", false, &ms[1]);
    stats.Add("viClose", false, nullptr);
    stats.Add("a,\"b\"", true, nullptr);
    return stats;
}

TEST(CallStatisticsTest, TableForATerminal) {
    EXPECT_EQ(render(handWorkedCapture(), false),
              "function     calls  failed  total ms  mean ms  median ms  p95 ms  max ms\n"
              "viRead           4       1    16.000    4.000      2.000  10.000  10.000\n"
              "viWrite          2       0    10.000    5.000      5.000   5.000   5.000\n"
              "viClose          2       0\n"
              "a,\"b\"            1       1\n"
              "(all calls)      9       2    26.000    4.333      3.000  10.000  10.000\n");
}

TEST(CallStatisticsTest, CsvForASpreadsheet) {
    EXPECT_EQ(render(handWorkedCapture(), true),
              "function,calls,failed,total,mean,median,p95,max\n"
              "viRead,4,1,16.000,4.000,2.000,10.000,10.000\n"
              "viWrite,2,0,10.000,5.000,5.000,5.000,5.000\n"
              "viClose,2,0,,,,,\n"
              "\"a,\"\"b\"\"\",1,1,,,,,\n"
              "(all calls),9,2,26.000,4.333,3.000,10.000,10.000\n");
}

// Past the limit of distinct names, further names share one row, so a
// capture of a million made-up names costs no more than a thousand.
TEST(CallStatisticsTest, DistinctNamesAreBounded) {
    CallStatistics stats;
    const double second = 1;
    for (size_t i = 0; i < CallStatistics::kMaxFunctions + 2; ++i) {
        stats.Add("f" + std::to_string(i), false, i < CallStatistics::kMaxFunctions ? nullptr : &second);
    }
    stats.Add("f0", false, nullptr);
    const std::string table = render(stats, true);
    EXPECT_EQ(table.substr(table.find('\n') + 1, table.find('\n', table.find('\n') + 1) - table.find('\n')),
              "(other functions),2,0,2000.000,1000.000,1000.000,1000.000,1000.000\n");
    EXPECT_NE(table.find("\nf0,2,0,,,,,\n"), std::string::npos);
}

}  // namespace
}  // namespace vesk::replay
