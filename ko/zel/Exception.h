// The support library's exception family.
//
// Every failure inside ko::zel (allocation aside, which is std::bad_alloc) is
// thrown as one of these classes. Each class has a fixed English text
// (`what`), a numeric error code (`getErrorCode`) and the source location of
// the throw. The classes whose names end in 2 carry a message built from a
// fixed prefix and a text given at construction; they are declared in
// ko/zel/ExceptionWithMessage.h because the message is a StringBase.
//
// The classes have default visibility: they are thrown inside one shared
// library and caught in another, which needs one shared type identity.
#pragma once

#include <cstdint>
#include <exception>

#include "ko/zel/Export.h"

namespace ko::zel::exception {

class KOVESK_API Exception : public std::exception {
public:
    // `file` must point to static text (normally __FILE__) or be null.
    explicit Exception(int32_t line = 0, const char* file = nullptr) noexcept
        : m_line(line), m_file(file) {}
    ~Exception() override;

    const char* what() const noexcept override;
    // The error code as a 32-bit value; as signed values all codes are negative.
    virtual int32_t getErrorCode() const noexcept;

    int32_t line() const noexcept { return m_line; }
    const char* file() const noexcept { return m_file; }

private:
    int32_t m_line;
    const char* m_file;
};

// Declares a class without message: its `what` text and error code are fixed.
#define KO_ZEL_DECLARE_EXCEPTION(Name, Base)                                  \
    class KOVESK_API Name : public Base {                                     \
    public:                                                                   \
        explicit Name(int32_t line = 0, const char* file = nullptr) noexcept  \
            : Base(line, file) {}                                             \
        ~Name() override;                                                     \
        const char* what() const noexcept override;                           \
        int32_t getErrorCode() const noexcept override;                       \
    }

KO_ZEL_DECLARE_EXCEPTION(DeserializationError, Exception);
KO_ZEL_DECLARE_EXCEPTION(OutOfRange, Exception);
KO_ZEL_DECLARE_EXCEPTION(BoundExceeded, Exception);
KO_ZEL_DECLARE_EXCEPTION(BufferOverflow, Exception);
KO_ZEL_DECLARE_EXCEPTION(InvalidArgument, Exception);
KO_ZEL_DECLARE_EXCEPTION(InvalidOperation, Exception);
KO_ZEL_DECLARE_EXCEPTION(InvalidSequence, Exception);
KO_ZEL_DECLARE_EXCEPTION(InvalidLocale, Exception);
KO_ZEL_DECLARE_EXCEPTION(UnableToConvert, Exception);

#undef KO_ZEL_DECLARE_EXCEPTION

// Error codes, as the unsigned 32-bit values they are documented with.
inline constexpr uint32_t kErrorUnspecified = 0xFFFFFFFFu;
inline constexpr uint32_t kErrorDeserialization = 0x8ABC7014u;
inline constexpr uint32_t kErrorOutOfRange = 0x8ABC7007u;  // also BoundExceeded
inline constexpr uint32_t kErrorBufferOverflow = 0x8ABC7017u;
inline constexpr uint32_t kErrorInvalidArgument = 0x8ABC700Fu;
inline constexpr uint32_t kErrorInvalidOperation = 0x8ABC700Eu;
inline constexpr uint32_t kErrorInvalidSequence = 0x8ABC7030u;
inline constexpr uint32_t kErrorInvalidLocale = 0x8ABC7024u;
inline constexpr uint32_t kErrorUnableToConvert = 0x8ABC7034u;

}  // namespace ko::zel::exception

// Throws `Type` carrying the source location of the throw.
#define KO_ZEL_THROW(Type) throw Type(__LINE__, __FILE__)
