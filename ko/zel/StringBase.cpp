// The string's one out-of-line piece.
//
// It lives apart from Exception.cpp on purpose: a program that links this
// library statically beside the host library (vesk-replay, the tests) and
// erases from a string pulls in this object alone, and takes the exception
// classes from the host library, which exports them. Were the thrower in
// Exception.cpp, the program would carry a second definition of every
// exception class (an ODR violation that AddressSanitizer reports at start).
#include "ko/zel/ExceptionWithMessage.h"
#include "ko/zel/StringBase.h"

namespace ko::zel::detail {

void ThrowStringOffsetOutOfRange(int32_t line, const char* file) {
    throw exception::OutOfRange2("String offset out of range", line, file);
}

}  // namespace ko::zel::detail
