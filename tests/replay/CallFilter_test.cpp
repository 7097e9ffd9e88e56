// The filters of the command line, one at a time and together.
#include "replay/CallFilter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vesk::replay {
namespace {

void addU32(CKOVeskMemoryLogger& logger, const char* name, int type, uint32_t value) {
    const int index = logger.AddParam(name, type);
    logger.SetParamBytes(index, &value, sizeof value);
}

void addU64(CKOVeskMemoryLogger& logger, const char* name, int type, uint64_t value) {
    const int index = logger.AddParam(name, type);
    logger.SetParamBytes(index, &value, sizeof value);
}

// viRead on session 0x1003 by thread 7 that returned `status`; with
// `returned` false it never returned.
CapturedCall viRead(uint32_t status, bool returned = true) {
    CapturedCall call;
    call.input.SetFunction("viRead", 19, 3);
    addU32(call.input, "vi", 33, 0x1003);
    addU64(call.input, "retCnt", 2, 0x7ffd0000);
    if (returned) {
        call.hasOutput = true;
        addU32(call.output, "*retCnt", 1, 5);
        addU32(call.output, nullptr, 23, status);
        call.output.SetReturnParamIndex(1);
    }
    call.hasThread = true;
    call.thread = 7;
    return call;
}

// A call fails by a negative status alone: a warning or success does not,
// nor a call that never returned or names no status.
TEST(CallFilterTest, FailedCalls) {
    EXPECT_TRUE(CallFailed(viRead(0xBFFF0015)));
    EXPECT_FALSE(CallFailed(viRead(0x3FFF0005)));
    EXPECT_FALSE(CallFailed(viRead(0)));
    EXPECT_FALSE(CallFailed(viRead(0xBFFF0015, false)));
    CapturedCall noStatus = viRead(0xBFFF0015);
    noStatus.output.SetReturnParamIndex(-1);
    EXPECT_FALSE(CallFailed(noStatus));
}

// A session is found in either logger, in a session or find-list
// parameter of any captured width, never in another kind of handle.
TEST(CallFilterTest, SessionHandles) {
    CapturedCall call = viRead(0);
    EXPECT_TRUE(CallUsesSession(call, 0x1003));
    EXPECT_FALSE(CallUsesSession(call, 0x7ffd0000));  // a pointer, not a session
    EXPECT_FALSE(CallUsesSession(call, 5));

    CapturedCall open;
    open.input.SetFunction("viOpen", 5, 3);
    addU32(open.input, "sesn", 33, 0x1001);
    open.hasOutput = true;
    addU64(open.output, "*vi", 33, 0x100000001003ull);
    addU32(open.output, "*findList", 35, 0x1002);
    addU32(open.output, "*event", 37, 0x1004);
    EXPECT_TRUE(CallUsesSession(open, 0x1001));
    EXPECT_TRUE(CallUsesSession(open, 0x100000001003ull));
    EXPECT_FALSE(CallUsesSession(open, 0x1003));
    EXPECT_TRUE(CallUsesSession(open, 0x1002));
    EXPECT_FALSE(CallUsesSession(open, 0x1004));
    // The handles a session filter can match, each once, inputs first.
    addU32(open.output, "*sesn", 33, 0x1001);
    EXPECT_EQ(CallSessions(open), (std::vector<uint64_t>{0x1001, 0x100000001003ull, 0x1002}));
    EXPECT_EQ(CallSessions(viRead(0, false)), std::vector<uint64_t>{0x1003});
}

// Each filter alone and all of them together (AND).
TEST(CallFilterTest, FiltersCombine) {
    const CapturedCall failed = viRead(0xBFFF0015);
    const CapturedCall ok = viRead(0);
    CapturedCall noThread = viRead(0xBFFF0015);
    noThread.hasThread = false;

    tCallFilter all;
    EXPECT_TRUE(all.OnlyNumbers());
    EXPECT_TRUE(all.Matches(1, ok));

    tCallFilter range;
    range.firstCall = 3;
    range.lastCall = 5;
    EXPECT_FALSE(range.Matches(2, ok));
    EXPECT_TRUE(range.Matches(3, ok));
    EXPECT_TRUE(range.Matches(5, ok));
    EXPECT_FALSE(range.Matches(6, ok));

    tCallFilter errors;
    errors.errorsOnly = true;
    EXPECT_FALSE(errors.OnlyNumbers());
    EXPECT_TRUE(errors.Matches(1, failed));
    EXPECT_FALSE(errors.Matches(1, ok));

    tCallFilter functions;
    functions.functions = {"viWrite", "viRead"};
    EXPECT_TRUE(functions.Matches(1, ok));
    functions.functions = {"viread", "viReadSTB"};
    EXPECT_FALSE(functions.Matches(1, ok));

    tCallFilter thread;
    thread.hasThread = true;
    thread.thread = 7;
    EXPECT_TRUE(thread.Matches(1, ok));
    EXPECT_FALSE(thread.Matches(1, noThread));
    thread.thread = 8;
    EXPECT_FALSE(thread.Matches(1, ok));

    tCallFilter together = errors;
    together.functions = {"viRead"};
    together.hasSession = true;
    together.session = 0x1003;
    together.hasThread = true;
    together.thread = 7;
    together.firstCall = 10;
    EXPECT_TRUE(together.Matches(10, failed));
    EXPECT_FALSE(together.Matches(9, failed));
    EXPECT_FALSE(together.Matches(10, ok));
    EXPECT_FALSE(together.Matches(10, noThread));
    together.session = 0x1004;
    EXPECT_FALSE(together.Matches(10, failed));
}

}  // namespace
}  // namespace vesk::replay
