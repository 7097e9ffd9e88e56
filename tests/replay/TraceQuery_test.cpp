// The browser view's requests read from their query parameters: every
// parameter bounded, and every bad one refused with a message that names
// it.
#include "replay/TraceQuery.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace vesk::replay {
namespace {

std::string rows(const tQuery& query, tRowsRequest& request) {
    std::string error;
    return ParseRowsRequest(query, request, error) ? "" : error;
}

// Positions and counts at the ends of their ranges, and what is no whole
// decimal number: a sign, a fraction, spaces, hexadecimal, an empty value,
// a number past 64 bits.
TEST(TraceQueryTest, RowRanges) {
    const std::string kFirstRange = "first: expected a whole number from 0 to 9223372036854775807, not ";
    const struct {
        tQuery query;
        std::string error;
        uint64_t first;
        uint32_t count;
    } cases[] = {
        {{}, "", 0, 100},
        {{{"first", "0"}, {"count", "0"}}, "", 0, 0},
        {{{"first", "9223372036854775807"}, {"count", "1000"}}, "", 9223372036854775807u, 1000},
        {{{"first", "9223372036854775808"}}, kFirstRange + "\"9223372036854775808\"", 0, 0},
        {{{"first", "99999999999999999999999"}}, kFirstRange + "\"99999999999999999999999\"", 0, 0},
        {{{"first", "-1"}}, kFirstRange + "\"-1\"", 0, 0},
        {{{"first", "+1"}}, kFirstRange + "\"+1\"", 0, 0},
        {{{"first", " 1"}}, kFirstRange + "\" 1\"", 0, 0},
        {{{"first", "1.5"}}, kFirstRange + "\"1.5\"", 0, 0},
        {{{"first", "0x10"}}, kFirstRange + "\"0x10\"", 0, 0},
        {{{"first", ""}}, kFirstRange + "\"\"", 0, 0},
        {{{"count", "1001"}}, "count: expected a whole number from 0 to 1000, not \"1001\"", 0, 0},
        {{{"first", "1"}, {"first", "2"}}, "parameter \"first\" given more than once", 0, 0},
        {{{"frist", "1"}}, "unknown parameter \"frist\"", 0, 0},
        {{{"first\n", "1"}}, "unknown parameter \"first\\x0A\"", 0, 0},
        {{{"count", std::string(kMaxParameterBytes + 1, '1')}}, "count: longer than 4096 bytes", 0, 0},
    };
    for (const auto& c : cases) {
        tRowsRequest request;
        const std::string error = rows(c.query, request);
        EXPECT_EQ(error, c.error);
        if (error.empty()) {
            EXPECT_EQ(request.first, c.first);
            EXPECT_EQ(request.count, c.count);
        }
    }
}

// The filters read as the command line reads them, with its messages
// (without the "--"); empty values are no filter; the text is bounded and
// held case-folded.
TEST(TraceQueryTest, Filters) {
    tRowsRequest all;
    ASSERT_EQ(rows({{"calls", "3-6"}, {"errors", "1"}, {"function", "viRead,viWrite"}, {"session", "0x1003"},
                    {"thread", "4711"}, {"text", "IDN?"}},
                   all),
              "");
    EXPECT_EQ(all.filter.calls.firstCall, 3u);
    EXPECT_EQ(all.filter.calls.lastCall, 6u);
    EXPECT_TRUE(all.filter.calls.errorsOnly);
    EXPECT_EQ(all.filter.calls.functions, (std::vector<std::string>{"viRead", "viWrite"}));
    EXPECT_TRUE(all.filter.calls.hasSession);
    EXPECT_EQ(all.filter.calls.session, 0x1003u);
    EXPECT_EQ(all.filter.calls.thread, 4711u);
    EXPECT_EQ(all.filter.text, "idn?");
    EXPECT_FALSE(all.filter.OnlyNumbers());

    tRowsRequest empty;
    ASSERT_EQ(rows({{"calls", ""}, {"errors", ""}, {"function", ""}, {"session", ""}, {"thread", ""}, {"text", ""}},
                   empty),
              "");
    EXPECT_TRUE(empty.filter.OnlyNumbers());
    EXPECT_EQ(empty.filter.Key(), tTraceFilter().Key());

    const struct {
        tQuery query;
        std::string error;
    } bad[] = {
        {{{"calls", "5-3"}}, "calls: expected A-B, A- or A with call numbers from 1, not \"5-3\""},
        {{{"calls", "0"}}, "calls: expected A-B, A- or A with call numbers from 1, not \"0\""},
        {{{"function", "a,,b"}}, "function: expected NAME[,NAME...], not \"a,,b\""},
        {{{"session", "zz"}}, "session: expected a handle, 0x hexadecimal or decimal, not \"zz\""},
        {{{"session", "0x10000000000000000"}},
         "session: expected a handle, 0x hexadecimal or decimal, not \"0x10000000000000000\""},
        {{{"thread", "-1"}}, "thread: expected a thread id, not \"-1\""},
        {{{"errors", "yes"}}, "errors: expected 1 or 0, not \"yes\""},
        {{{"text", std::string(kMaxFilterTextBytes + 1, 'a')}}, "text: longer than 256 bytes"},
    };
    for (const auto& c : bad) {
        tRowsRequest request;
        EXPECT_EQ(rows(c.query, request), c.error);
    }
    tRowsRequest longest;
    EXPECT_EQ(rows({{"text", std::string(kMaxFilterTextBytes, 'a')}}, longest), "");
}

// Two filters share a view exactly when they select the same calls by the
// same rules: a text in another case is the same, names split otherwise
// are not.
TEST(TraceQueryTest, FilterKeys) {
    auto key = [](const tQuery& query) {
        tRowsRequest request;
        std::string error;
        EXPECT_TRUE(ParseRowsRequest(query, request, error)) << error;
        return request.filter.Key();
    };
    EXPECT_EQ(key({{"text", "IDN"}}), key({{"text", "idn"}}));
    EXPECT_EQ(key({{"errors", "1"}}), key({{"errors", "true"}}));
    EXPECT_EQ(key({{"calls", "7"}}), key({{"calls", "7-7"}}));
    EXPECT_NE(key({{"function", "a,b"}}), key({{"function", "a"}}));
    EXPECT_NE(key({{"function", "ab"}}), key({{"function", "a,b"}}));
    EXPECT_NE(key({{"text", "1"}}), key({{"thread", "1"}}));
    EXPECT_NE(key({{"session", "1"}}), key({}));
}

// A call's number from 1; the part shown; the dump lines within bounds;
// a buffer request names its call and buffer.
TEST(TraceQueryTest, CallAndBufferRequests) {
    std::string error;
    tCallRequest call;
    EXPECT_FALSE(ParseCallRequest({}, call, error));
    EXPECT_EQ(error, "number: the call number is missing");
    EXPECT_FALSE(ParseCallRequest({{"number", "0"}}, call, error));
    EXPECT_EQ(error, "number: expected a whole number from 1 to 9223372036854775807, not \"0\"");
    EXPECT_FALSE(ParseCallRequest({{"number", "1"}, {"part", "all"}}, call, error));
    EXPECT_EQ(error, "part: expected pages, export or xml, not \"all\"");
    EXPECT_FALSE(ParseCallRequest({{"number", "1"}, {"lines", "10001"}}, call, error));
    EXPECT_EQ(error, "lines: expected a whole number from 0 to 10000, not \"10001\"");
    ASSERT_TRUE(ParseCallRequest({{"number", "12"}, {"part", "xml"}, {"lines", "0"}}, call, error)) << error;
    EXPECT_EQ(call.number, 12u);
    EXPECT_EQ(call.part, eCallPart::Xml);
    EXPECT_EQ(call.lines, 0u);

    tBufferRequest buffer;
    EXPECT_FALSE(ParseBufferRequest({{"number", "3"}}, buffer, error));
    EXPECT_EQ(error, "buffer: missing");
    EXPECT_FALSE(ParseBufferRequest({{"number", "3"}, {"buffer", "2147483648"}}, buffer, error));
    EXPECT_EQ(error, "buffer: expected a whole number from 0 to 2147483647, not \"2147483648\"");
    EXPECT_FALSE(ParseBufferRequest({{"number", "3"}, {"buffer", "0"}, {"count", "10001"}}, buffer, error));
    ASSERT_TRUE(ParseBufferRequest({{"number", "3"}, {"buffer", "1"}, {"first", "500"}, {"count", "20"}}, buffer,
                                   error));
    EXPECT_EQ(buffer.buffer, 1);
    EXPECT_EQ(buffer.first, 500u);
    EXPECT_EQ(buffer.count, 20u);

    EXPECT_TRUE(ParseNoParameters({}, error));
    EXPECT_FALSE(ParseNoParameters({{"x", ""}}, error));
    EXPECT_EQ(error, "unknown parameter \"x\"");
}

// Letters A to Z match in either case; other bytes (UTF-8 among them)
// only as they are.
TEST(TraceQueryTest, CaseFoldedSearch) {
    EXPECT_EQ(FoldAsciiCase("AbZ\xC3\x89@["), "abz\xC3\x89@[");
    EXPECT_TRUE(ContainsFolded("viWrite (\"*IDN?\")", "idn?"));
    EXPECT_TRUE(ContainsFolded("anything", ""));
    EXPECT_TRUE(ContainsFolded("", ""));
    EXPECT_FALSE(ContainsFolded("", "a"));
    EXPECT_FALSE(ContainsFolded("\xC3\x89", "\xC3\xA9"));
    EXPECT_FALSE(ContainsFolded("ab", "abc"));
}

}  // namespace
}  // namespace vesk::replay
