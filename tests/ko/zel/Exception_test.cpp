#include <gtest/gtest.h>

#include <memory>

#include "ko/zel/Exception.h"
#include "ko/zel/ExceptionWithMessage.h"

namespace ex = ko::zel::exception;

// The texts and codes the host shows and compares, reached as it catches: as std::exception.
TEST(ExceptionTest, EveryClassAnswersItsTextAndCodeThroughTheBase) {
    const struct {
        const ex::Exception& raised;
        const char* what;
        uint32_t code;
    } family[] = {
        {ex::Exception(), "unspecified exception", 0xFFFFFFFFu},
        {ex::DeserializationError(), "Failed to deserialize", 0x8ABC7014u},
        {ex::OutOfRange(), "Out of range", 0x8ABC7007u},
        {ex::OutOfRange2("offset"), "Out of range: offset", 0x8ABC7007u},
        {ex::BoundExceeded(), "A request was made that would exceed the bounds", 0x8ABC7007u},
        {ex::BoundExceeded2("x"), "A request was made that would exceed the bounds: x",
         0x8ABC7007u},
        {ex::BufferOverflow(), "Buffer overflowed", 0x8ABC7017u},
        {ex::InvalidArgument(), "Invalid argument(s)", 0x8ABC700Fu},
        {ex::InvalidArgument2("digits"), "Invalid argument(s): digits", 0x8ABC700Fu},
        {ex::InvalidOperation(), "Invalid operation", 0x8ABC700Eu},
        {ex::InvalidOperation2(""), "Invalid operation: ", 0x8ABC700Eu},
        {ex::InvalidSequence(), "Invalid UTF8 encoding sequence", 0x8ABC7030u},
        {ex::InvalidLocale(), "Invalid locale", 0x8ABC7024u},
        {ex::UnableToConvert(), "Unable to convert.", 0x8ABC7034u},
    };
    for (const auto& expected : family) {
        EXPECT_STREQ(expected.what, static_cast<const std::exception&>(expected.raised).what());
        EXPECT_EQ(expected.code, static_cast<uint32_t>(expected.raised.getErrorCode()))
            << expected.what;
    }
}

// The exception mechanism copies; a copy must own its text once the original is gone.
TEST(ExceptionTest, CopyOwnsItsText) {
    auto original = std::make_unique<ex::OutOfRange2>("String offset out of range");
    const ex::OutOfRange2 copy(*original);
    original.reset();
    EXPECT_STREQ("Out of range: String offset out of range", copy.what());
}
