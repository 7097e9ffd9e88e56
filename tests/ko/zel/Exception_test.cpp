// The exceptions as the host meets them: raised by a thrower, caught by
// any base of the class raised, with that class's text and code and the
// place of the throw.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "ko/zel/Exception.h"
#include "ko/zel/ExceptionWithMessage.h"
#include "ko/zel/StringBase.h"

namespace {

namespace ex = ko::zel::exception;

using tRaise = std::function<void()>;

// What a handler of `tCaught` sees of what `raise` throws: "TEXT (CODE)",
// followed by " at FILE:LINE" when the throw recorded its place; "not
// caught by this handler" or "nothing thrown".
template <typename tCaught>
std::string caughtAs(const tRaise& raise) {
    try {
        raise();
    } catch (const tCaught& caught) {
        const auto& ours = dynamic_cast<const ex::Exception&>(caught);
        char code[16];
        std::snprintf(code, sizeof code, " (0x%08X)", static_cast<uint32_t>(ours.getErrorCode()));
        std::string seen = caught.what() + std::string(code);
        if (ours.file()) {
            seen += " at " + std::string(ours.file()) + ":" + std::to_string(ours.line());
        }
        return seen;
    } catch (...) {
        return "not caught by this handler";
    }
    return "nothing thrown";
}

// The throw macro records the file and line it stands on; the string's
// offset thrower, those of the string operation that failed.
TEST(ExceptionTest, ThrowersRecordThePlaceOfTheThrow) {
    const int line = __LINE__ + 1;
    const tRaise raise = [] { KO_ZEL_THROW(ex::InvalidLocale); };
    EXPECT_EQ(caughtAs<ex::InvalidLocale>(raise),
              "Invalid locale (0x8ABC7024) at " __FILE__ ":" + std::to_string(line));
    const std::string erased = caughtAs<ex::OutOfRange>([] { StringBase("abc").erase(4, 1); });
    EXPECT_EQ(erased.substr(0, erased.rfind(':')),
              "Out of range: String offset out of range (0x8ABC7007) at ko/zel/StringBase.h");
}

// Throws a `tRaised` made of `arguments`; what a handler of `tBase` sees of
// it, when handlers of the family's base and of std::exception see the
// same, else what each of the three saw.
template <typename tRaised, typename tBase, typename... tArguments>
std::string raisedAs(const tArguments&... arguments) {
    const tRaise raise = [&] { throw tRaised(arguments...); };
    const std::string seen = caughtAs<tBase>(raise);
    const std::string family = caughtAs<ex::Exception>(raise);
    const std::string standard = caughtAs<std::exception>(raise);
    return family == seen && standard == seen ? seen : seen + " | " + family + " | " + standard;
}

// Each class is caught by its base, by the family's base and as a standard
// exception, as itself: its own text and code, not its base's. A class
// with a message extends its base's text with ": " and the message and
// keeps its base's code.
TEST(ExceptionTest, EveryClassIsCaughtByItsBasesAsItself) {
    using ex::Exception;
    EXPECT_EQ((raisedAs<Exception, std::exception>()), "unspecified exception (0xFFFFFFFF)");
    EXPECT_EQ((raisedAs<ex::DeserializationError, Exception>()),
              "Failed to deserialize (0x8ABC7014)");
    EXPECT_EQ((raisedAs<ex::OutOfRange, Exception>()), "Out of range (0x8ABC7007)");
    EXPECT_EQ((raisedAs<ex::BoundExceeded, Exception>()),
              "A request was made that would exceed the bounds (0x8ABC7007)");
    EXPECT_EQ((raisedAs<ex::BufferOverflow, Exception>()), "Buffer overflowed (0x8ABC7017)");
    EXPECT_EQ((raisedAs<ex::InvalidArgument, Exception>()), "Invalid argument(s) (0x8ABC700F)");
    EXPECT_EQ((raisedAs<ex::InvalidOperation, Exception>()), "Invalid operation (0x8ABC700E)");
    EXPECT_EQ((raisedAs<ex::InvalidSequence, Exception>()),
              "Invalid UTF8 encoding sequence (0x8ABC7030)");
    EXPECT_EQ((raisedAs<ex::InvalidLocale, Exception>()), "Invalid locale (0x8ABC7024)");
    EXPECT_EQ((raisedAs<ex::UnableToConvert, Exception>()), "Unable to convert. (0x8ABC7034)");
    EXPECT_EQ((raisedAs<ex::OutOfRange2, ex::OutOfRange>("offset")),
              "Out of range: offset (0x8ABC7007)");
    EXPECT_EQ((raisedAs<ex::BoundExceeded2, ex::BoundExceeded>("x")),
              "A request was made that would exceed the bounds: x (0x8ABC7007)");
    EXPECT_EQ((raisedAs<ex::InvalidArgument2, ex::InvalidArgument>("digits")),
              "Invalid argument(s): digits (0x8ABC700F)");
    EXPECT_EQ((raisedAs<ex::InvalidOperation2, ex::InvalidOperation>("")),
              "Invalid operation:  (0x8ABC700E)");
    // A handler of a class catches neither its base nor its siblings.
    const std::string notCaught = "not caught by this handler";
    EXPECT_EQ(caughtAs<ex::OutOfRange2>([] { throw ex::OutOfRange(); }), notCaught);
    EXPECT_EQ(caughtAs<ex::OutOfRange>([] { throw ex::BoundExceeded(); }), notCaught);
}

// The exception mechanism copies; a copy must own its text once the original is gone.
TEST(ExceptionTest, CopyOwnsItsText) {
    auto original = std::make_unique<ex::OutOfRange2>("String offset out of range");
    const ex::OutOfRange2 copy(*original);
    original.reset();
    EXPECT_STREQ("Out of range: String offset out of range", copy.what());
}

}  // namespace
