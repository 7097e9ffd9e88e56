// The exceptions as the host meets them: raised by a failing operation or
// the throw macro, caught by the class promised or by any base of it, with
// the text and code of the class raised and the place of the throw.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "ko/zel/Exception.h"
#include "ko/zel/ExceptionWithMessage.h"
#include "ko/zel/NumericCast.h"
#include "ko/zel/SafeInteger.h"
#include "ko/zel/StringBase.h"
#include "ko/zel/Utf8ToWide.h"
#include "ko/zel/osdep/AbsTimeToString.h"

namespace {

namespace ex = ko::zel::exception;

using tRaise = std::function<void()>;

// What a handler of `tCaught` sees of what `raise` throws: "TEXT (CODE)",
// "not caught by this handler" or "nothing thrown".
template <typename tCaught>
std::string caughtAs(const tRaise& raise) {
    try {
        raise();
    } catch (const tCaught& caught) {
        char code[16] = "";
        if (const auto* ours = dynamic_cast<const ex::Exception*>(&caught)) {
            const auto value = static_cast<uint32_t>(ours->getErrorCode());
            std::snprintf(code, sizeof code, " (0x%08X)", value);
        }
        return caught.what() + std::string(code);
    } catch (...) {
        return "not caught by this handler";
    }
    return "nothing thrown";
}

// The source file of the throw, as the exception carries it.
std::string thrownIn(const tRaise& raise) {
    try {
        raise();
    } catch (const ex::Exception& caught) {
        return caught.line() > 0 && caught.file() ? caught.file() : "(no place)";
    }
    return "nothing thrown";
}

// --- the library's operations ---------------------------------------------------------
// Each failing operation raises the class its interface promises, caught
// by that class and by the bases every host catches, with the class's text
// and code and the place of the throw in the library.
TEST(ExceptionTest, OperationsRaiseTheClassTheyPromise) {
    const unsigned char kTwoBytes[] = {0xC3, 0xA9};
    const struct {
        const char* operation;
        tRaise raise;
        std::string (*caughtAsPromised)(const tRaise&);
        const char* caught;
        const char* file;
    } cases[] = {
        {"erase past the end", [] { StringBase("abc").erase(4, 1); },
         caughtAs<ex::OutOfRange2>, "Out of range: String offset out of range (0x8ABC7007)",
         "ko/zel/StringBase.h"},
        {"narrowing", [] { ko::zel::NumericCast<uint32_t>(uint64_t{1} << 32); },
         caughtAs<ex::OutOfRange>, "Out of range (0x8ABC7007)", "ko/zel/NumericCast.h"},
        {"a size sum", [] { ko::zel::SafeSize(0xFFFFFFFFu) + 1; }, caughtAs<ex::OutOfRange>,
         "Out of range (0x8ABC7007)", "ko/zel/SafeInteger.h"},
        {"invalid UTF-8", [=] { ko::zel::Utf8ToWide(kTwoBytes, kTwoBytes + 1); },
         caughtAs<ex::InvalidSequence>, "Invalid UTF8 encoding sequence (0x8ABC7030)",
         "ko/zel/Utf8ToWide.cpp"},
        {"no output range",
         [=] { ko::zel::DecodeUtf8(kTwoBytes, kTwoBytes + 2, nullptr, nullptr); },
         caughtAs<ex::InvalidArgument>, "Invalid argument(s) (0x8ABC700F)",
         "ko/zel/Utf8ToWide.cpp"},
        {"a full output range",
         [=] {
             wchar_t out[1];
             ko::zel::DecodeUtf8(kTwoBytes, kTwoBytes + 2, out, out);
         },
         caughtAs<ex::BufferOverflow>, "Buffer overflowed (0x8ABC7017)", "ko/zel/Utf8ToWide.cpp"},
        {"seven fraction digits",
         [] {
             WideStringBase text;
             ko::zel::AbsTimeToString(text, ko::zel::AbsTime{0, 0}, L"", L"%S", 7, 0, false,
                                      nullptr, 1);
         },
         caughtAs<ex::InvalidArgument>, "Invalid argument(s) (0x8ABC700F)",
         "ko/zel/osdep/AbsTimeToString.cpp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.operation);
        EXPECT_EQ(c.caughtAsPromised(c.raise), c.caught);
        EXPECT_EQ(caughtAs<ex::Exception>(c.raise), c.caught);
        EXPECT_EQ(caughtAs<std::exception>(c.raise), c.caught);
        EXPECT_EQ(thrownIn(c.raise), c.file);
    }
}

// --- every class, caught by its bases ---------------------------------------------------
// Raised by the throw macro (which records this file and line), each class
// is caught by its base as itself: its own text and code, not the base's.
// A class with a message extends its base's text with ": " and the message
// and keeps its base's code.
TEST(ExceptionTest, EveryClassIsCaughtByItsBasesAsItself) {
    const struct {
        tRaise raise;
        std::string (*caughtAsBase)(const tRaise&);
        const char* caught;
    } cases[] = {
        {[] { KO_ZEL_THROW(ex::Exception); }, caughtAs<std::exception>,
         "unspecified exception (0xFFFFFFFF)"},
        {[] { KO_ZEL_THROW(ex::DeserializationError); }, caughtAs<ex::Exception>,
         "Failed to deserialize (0x8ABC7014)"},
        {[] { KO_ZEL_THROW(ex::OutOfRange); }, caughtAs<ex::Exception>,
         "Out of range (0x8ABC7007)"},
        {[] { KO_ZEL_THROW(ex::BoundExceeded); }, caughtAs<ex::Exception>,
         "A request was made that would exceed the bounds (0x8ABC7007)"},
        {[] { KO_ZEL_THROW(ex::BufferOverflow); }, caughtAs<ex::Exception>,
         "Buffer overflowed (0x8ABC7017)"},
        {[] { KO_ZEL_THROW(ex::InvalidArgument); }, caughtAs<ex::Exception>,
         "Invalid argument(s) (0x8ABC700F)"},
        {[] { KO_ZEL_THROW(ex::InvalidOperation); }, caughtAs<ex::Exception>,
         "Invalid operation (0x8ABC700E)"},
        {[] { KO_ZEL_THROW(ex::InvalidSequence); }, caughtAs<ex::Exception>,
         "Invalid UTF8 encoding sequence (0x8ABC7030)"},
        {[] { KO_ZEL_THROW(ex::InvalidLocale); }, caughtAs<ex::Exception>,
         "Invalid locale (0x8ABC7024)"},
        {[] { KO_ZEL_THROW(ex::UnableToConvert); }, caughtAs<ex::Exception>,
         "Unable to convert. (0x8ABC7034)"},
        {[] { throw ex::OutOfRange2("offset", __LINE__, __FILE__); }, caughtAs<ex::OutOfRange>,
         "Out of range: offset (0x8ABC7007)"},
        {[] { throw ex::BoundExceeded2("x", __LINE__, __FILE__); }, caughtAs<ex::BoundExceeded>,
         "A request was made that would exceed the bounds: x (0x8ABC7007)"},
        {[] { throw ex::InvalidArgument2("digits", __LINE__, __FILE__); },
         caughtAs<ex::InvalidArgument>, "Invalid argument(s): digits (0x8ABC700F)"},
        {[] { throw ex::InvalidOperation2("", __LINE__, __FILE__); },
         caughtAs<ex::InvalidOperation>, "Invalid operation:  (0x8ABC700E)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caught);
        EXPECT_EQ(c.caughtAsBase(c.raise), c.caught);
        EXPECT_EQ(caughtAs<std::exception>(c.raise), c.caught);
        EXPECT_EQ(thrownIn(c.raise), __FILE__);
    }
    // The throw macro records the line it stands on.
    const int32_t line = __LINE__ + 2;
    try {
        KO_ZEL_THROW(ex::InvalidLocale);
    } catch (const ex::Exception& caught) {
        EXPECT_EQ(caught.line(), line);
    }
    // A handler of a class catches neither its base nor its siblings.
    EXPECT_EQ(caughtAs<ex::OutOfRange2>([] { KO_ZEL_THROW(ex::OutOfRange); }),
              "not caught by this handler");
    EXPECT_EQ(caughtAs<ex::OutOfRange>([] { KO_ZEL_THROW(ex::BoundExceeded); }),
              "not caught by this handler");
}

// The exception mechanism copies; a copy must own its text once the original is gone.
TEST(ExceptionTest, CopyOwnsItsText) {
    auto original = std::make_unique<ex::OutOfRange2>("String offset out of range");
    const ex::OutOfRange2 copy(*original);
    original.reset();
    EXPECT_STREQ("Out of range: String offset out of range", copy.what());
}

}  // namespace
