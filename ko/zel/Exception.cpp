#include "ko/zel/Exception.h"

#include "ko/zel/ExceptionWithMessage.h"

namespace ko::zel::exception {

Exception::~Exception() = default;
const char* Exception::what() const noexcept { return "unspecified exception"; }
int32_t Exception::getErrorCode() const noexcept {
    return static_cast<int32_t>(kErrorUnspecified);
}

#define KO_ZEL_DEFINE_EXCEPTION(Name, text, code)                                   \
    Name::~Name() = default;                                                        \
    const char* Name::what() const noexcept { return text; }                        \
    int32_t Name::getErrorCode() const noexcept { return static_cast<int32_t>(code); }

KO_ZEL_DEFINE_EXCEPTION(DeserializationError, "Failed to deserialize", kErrorDeserialization)
KO_ZEL_DEFINE_EXCEPTION(OutOfRange, "Out of range", kErrorOutOfRange)
KO_ZEL_DEFINE_EXCEPTION(BoundExceeded, "A request was made that would exceed the bounds",
                        kErrorOutOfRange)
KO_ZEL_DEFINE_EXCEPTION(BufferOverflow, "Buffer overflowed", kErrorBufferOverflow)
KO_ZEL_DEFINE_EXCEPTION(InvalidArgument, "Invalid argument(s)", kErrorInvalidArgument)
KO_ZEL_DEFINE_EXCEPTION(InvalidOperation, "Invalid operation", kErrorInvalidOperation)
KO_ZEL_DEFINE_EXCEPTION(InvalidSequence, "Invalid UTF8 encoding sequence",
                        kErrorInvalidSequence)
KO_ZEL_DEFINE_EXCEPTION(InvalidLocale, "Invalid locale", kErrorInvalidLocale)
KO_ZEL_DEFINE_EXCEPTION(UnableToConvert, "Unable to convert.", kErrorUnableToConvert)

#undef KO_ZEL_DEFINE_EXCEPTION

#define KO_ZEL_DEFINE_EXCEPTION_WITH_MESSAGE(Name, Base, prefix)                  \
    Name::Name(const ::StringBase& text, int32_t line, const char* file)          \
        : Base(line, file), m_message(prefix + text) {}                           \
    Name::~Name() = default;                                                      \
    const char* Name::what() const noexcept { return m_message.c_str(); }

KO_ZEL_DEFINE_EXCEPTION_WITH_MESSAGE(OutOfRange2, OutOfRange, "Out of range: ")
KO_ZEL_DEFINE_EXCEPTION_WITH_MESSAGE(BoundExceeded2, BoundExceeded,
                                     "A request was made that would exceed the bounds: ")
KO_ZEL_DEFINE_EXCEPTION_WITH_MESSAGE(InvalidArgument2, InvalidArgument,
                                     "Invalid argument(s): ")
KO_ZEL_DEFINE_EXCEPTION_WITH_MESSAGE(InvalidOperation2, InvalidOperation,
                                     "Invalid operation: ")

#undef KO_ZEL_DEFINE_EXCEPTION_WITH_MESSAGE

}  // namespace ko::zel::exception
