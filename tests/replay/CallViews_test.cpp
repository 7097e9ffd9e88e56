// Filtered views of an indexed capture: which calls they hold, what they
// ask the matcher about, how they grow request by request, and which views
// are kept.
#include "replay/CallViews.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vesk::replay {
namespace {

const std::string kRead =
    R"({"function":"viRead","id":19,"in":[{"name":"vi","type":33,"u32":4099}],"out":{"params":[{"type":23,"u32":0}],"ret":0}})";
const std::string kFailedRead =
    R"({"function":"viRead","id":19,"in":[{"name":"vi","type":33,"u32":4099}],"out":{"params":[{"type":23,"u32":3221159957}],"ret":0}})";
const std::string kClose =
    R"({"function":"viClose","id":6,"in":[{"name":"vi","type":33,"u32":4099}],"out":{"params":[{"type":23,"u32":0}],"ret":0}})";

// A capture of `calls` calls: every 10th a failed read, every 10th from
// the 5th on a line that is no call, every other call a read or a close.
class IndexedCapture {
public:
    explicit IndexedCapture(uint64_t calls) : m_index(1 << 20) {
        char name[] = "/tmp/call_views_test_XXXXXX";
        const int fd = mkstemp(name);
        m_path = name;
        std::string content;
        for (uint64_t number = 1; number <= calls; ++number) content += lineOf(number) + "\n";
        EXPECT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        ::close(fd);
        std::string error;
        EXPECT_TRUE(m_index.Open(m_path, error)) << error;
        m_index.Build();
    }
    ~IndexedCapture() { std::remove(m_path.c_str()); }

    static std::string lineOf(uint64_t number) {
        if (number % 10 == 0) return kFailedRead;
        if (number % 10 == 5) return "{no call";
        return number % 2 ? kRead : kClose;
    }
    const CCaptureIndex& Index() const { return m_index; }

private:
    std::string m_path;
    CCaptureIndex m_index;
};

// Passes the calls whose line holds the filter's text as it is; remembers
// what it was asked, and takes `delay` for each call.
class TextMatcher : public ICallMatcher {
public:
    explicit TextMatcher(std::chrono::milliseconds delay = {}) : m_delay(delay) {}
    bool Matches(uint64_t number, std::string_view line, const tTraceFilter& filter) override {
        asked.push_back(number);
        EXPECT_EQ(line, IndexedCapture::lineOf(number));
        if (m_delay.count() > 0) std::this_thread::sleep_for(m_delay);
        return line.find(filter.text) != std::string_view::npos;
    }
    std::vector<uint64_t> asked;

private:
    std::chrono::milliseconds m_delay;
};

tTraceFilter withText(const std::string& text) {
    tTraceFilter filter;
    filter.text = text;
    return filter;
}

// A view of call numbers alone is the range that the capture has: no
// call is read; positions past the end give nothing.
TEST(CallViewsTest, NumbersOnly) {
    const IndexedCapture capture(50);
    TextMatcher matcher;
    tTraceFilter range;
    range.calls.firstCall = 45;
    range.calls.lastCall = 60;
    CCallView view(range);
    tViewRows rows = view.Rows(capture.Index(), matcher, 0, 100);
    EXPECT_EQ(rows.total, 6u);
    EXPECT_TRUE(rows.complete);
    EXPECT_EQ(rows.numbers, (std::vector<uint64_t>{45, 46, 47, 48, 49, 50}));
    rows = view.Rows(capture.Index(), matcher, 4, 5);
    EXPECT_EQ(rows.numbers, (std::vector<uint64_t>{49, 50}));
    EXPECT_TRUE(view.Rows(capture.Index(), matcher, 6, 5).numbers.empty());
    EXPECT_TRUE(view.Rows(capture.Index(), matcher, UINT64_MAX, 1000).numbers.empty());
    tTraceFilter beyond;
    beyond.calls.firstCall = 51;
    EXPECT_EQ(CCallView(beyond).Rows(capture.Index(), matcher, 0, 10).total, 0u);
    CCallView all((tTraceFilter()));
    EXPECT_EQ(all.Rows(capture.Index(), matcher, 0, 0).total, 50u);
    EXPECT_TRUE(matcher.asked.empty());
}

// Errors only: the index's states decide, no call is read.
TEST(CallViewsTest, ErrorsFromTheIndex) {
    const IndexedCapture capture(50);
    TextMatcher matcher;
    tTraceFilter errors;
    errors.calls.errorsOnly = true;
    errors.calls.firstCall = 15;
    const tViewRows rows = CCallView(errors).Rows(capture.Index(), matcher, 0, 100);
    EXPECT_EQ(rows.numbers, (std::vector<uint64_t>{20, 30, 40, 50}));
    EXPECT_TRUE(rows.complete);
    EXPECT_TRUE(matcher.asked.empty());
}

// A filter on the content asks the matcher about every call of its range
// that is a call (never about a line that is no call), and only about
// failed calls when it wants errors too.
TEST(CallViewsTest, ContentFilters) {
    const IndexedCapture capture(40);
    TextMatcher matcher;
    tTraceFilter closes = withText("viClose");
    closes.calls.lastCall = 20;
    const tViewRows rows = CCallView(closes).Rows(capture.Index(), matcher, 0, 100);
    EXPECT_EQ(rows.numbers, (std::vector<uint64_t>{2, 4, 6, 8, 12, 14, 16, 18}));
    EXPECT_TRUE(rows.complete);
    EXPECT_EQ(rows.examined, 20u);
    const std::set<uint64_t> asked(matcher.asked.begin(), matcher.asked.end());
    EXPECT_EQ(asked.size(), 18u);
    EXPECT_EQ(asked.count(5), 0u);
    EXPECT_EQ(asked.count(15), 0u);

    TextMatcher errorsMatcher;
    tTraceFilter failedReads = withText("viRead");
    failedReads.calls.errorsOnly = true;
    const tViewRows failed = CCallView(failedReads).Rows(capture.Index(), errorsMatcher, 1, 2);
    EXPECT_EQ(failed.numbers, (std::vector<uint64_t>{20, 30}));
    EXPECT_EQ(failed.total, 4u);
    EXPECT_EQ(errorsMatcher.asked, (std::vector<uint64_t>{10, 20, 30, 40}));
}

// A slow view is made a part per request and goes on where it stopped:
// the first request does not examine everything, the requests together
// examine each call once and find every match.
TEST(CallViewsTest, GrowsRequestByRequest) {
    const IndexedCapture capture(200);
    TextMatcher matcher(std::chrono::milliseconds(5));
    CCallView view(withText("viRead"));
    tViewRows rows = view.Rows(capture.Index(), matcher, 0, 10);
    EXPECT_FALSE(rows.complete);
    EXPECT_LT(rows.examined, 200u);
    int requests = 1;
    while (!rows.complete && requests < 1000) {
        rows = view.Rows(capture.Index(), matcher, 0, 10);
        ++requests;
    }
    EXPECT_TRUE(rows.complete);
    EXPECT_GT(requests, 1);
    EXPECT_EQ(rows.total, 100u);  // the odd calls but the 5th of each ten, and every 10th
    EXPECT_EQ(matcher.asked.size(), 180u);
    EXPECT_EQ(std::set<uint64_t>(matcher.asked.begin(), matcher.asked.end()).size(), 180u);
}

// The latest views are kept, one per filter; the oldest goes first.
TEST(CallViewsTest, Cache) {
    CViewCache cache;
    const std::shared_ptr<CCallView> first = cache.Get(withText("a"));
    EXPECT_EQ(cache.Get(withText("a")), first);
    for (const char* text : {"b", "c", "d"}) cache.Get(withText(text));
    EXPECT_EQ(cache.Get(withText("a")), first);  // used again: now the latest
    cache.Get(withText("e"));                    // "b" goes
    EXPECT_EQ(cache.Get(withText("a")), first);
    const std::shared_ptr<CCallView> b = cache.Get(withText("b"));
    EXPECT_EQ(b->Filter().text, "b");
}

}  // namespace
}  // namespace vesk::replay
