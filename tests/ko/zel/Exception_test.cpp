// The texts and codes are what the host shows and compares; every class,
// with and without message, is listed once.
#include <gtest/gtest.h>

#include <functional>

#include "ko/zel/Exception.h"
#include "ko/zel/ExceptionWithMessage.h"

namespace ex = ko::zel::exception;

// Every class is caught as Exception (and so as std::exception, which is how
// the host catches) and still answers with its own text and code.
TEST(ExceptionTest, EveryClassAnswersItsTextAndCodeThroughTheBase) {
    const struct {
        std::function<void()> raise;
        const char* what;
        uint32_t code;
    } family[] = {
        {[] { throw ex::Exception(); }, "unspecified exception", 0xFFFFFFFFu},
        {[] { throw ex::DeserializationError(); }, "Failed to deserialize", 0x8ABC7014u},
        {[] { throw ex::OutOfRange(); }, "Out of range", 0x8ABC7007u},
        {[] { throw ex::OutOfRange2("String offset out of range"); },
         "Out of range: String offset out of range", 0x8ABC7007u},
        {[] { throw ex::BoundExceeded(); }, "A request was made that would exceed the bounds",
         0x8ABC7007u},
        {[] { throw ex::BoundExceeded2("x"); },
         "A request was made that would exceed the bounds: x", 0x8ABC7007u},
        {[] { throw ex::BufferOverflow(); }, "Buffer overflowed", 0x8ABC7017u},
        {[] { throw ex::InvalidArgument(); }, "Invalid argument(s)", 0x8ABC700Fu},
        {[] { throw ex::InvalidArgument2("digits"); }, "Invalid argument(s): digits", 0x8ABC700Fu},
        {[] { throw ex::InvalidOperation(); }, "Invalid operation", 0x8ABC700Eu},
        {[] { throw ex::InvalidOperation2(""); }, "Invalid operation: ", 0x8ABC700Eu},
        {[] { throw ex::InvalidSequence(); }, "Invalid UTF8 encoding sequence", 0x8ABC7030u},
        {[] { throw ex::InvalidLocale(); }, "Invalid locale", 0x8ABC7024u},
        {[] { throw ex::UnableToConvert(); }, "Unable to convert.", 0x8ABC7034u},
    };
    for (const auto& expected : family) {
        try {
            expected.raise();
            ADD_FAILURE() << "nothing thrown: " << expected.what;
        } catch (const ex::Exception& caught) {
            EXPECT_STREQ(expected.what, caught.what());
            EXPECT_EQ(expected.code, static_cast<uint32_t>(caught.getErrorCode())) << caught.what();
            EXPECT_STREQ(expected.what, static_cast<const std::exception&>(caught).what());
        }
    }
}

// A class with message is still its plain base for catch sites that only
// know the base, and a copy (the exception mechanism makes them) owns its text.
TEST(ExceptionTest, MessageClassesAreTheirBaseAndCopyTheirText) {
    EXPECT_THROW(throw ex::OutOfRange2("String offset out of range"), ex::OutOfRange);
    EXPECT_THROW(throw ex::InvalidArgument2("a"), ex::InvalidArgument);
    const ex::OutOfRange2 original("String offset out of range");
    const ex::OutOfRange2 copy(original);
    EXPECT_STREQ(original.what(), copy.what());
    EXPECT_NE(original.what(), copy.what());
}
