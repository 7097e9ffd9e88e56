// The exception classes that carry a message (names ending in 2).
//
// Each derives from the class of the same name without the 2, keeps its
// error code, and answers `what` with a fixed prefix followed by the text
// given at construction.
#pragma once

#include "ko/zel/Exception.h"
#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

namespace ko::zel::exception {

#define KO_ZEL_DECLARE_EXCEPTION_WITH_MESSAGE(Name, Base)                        \
    class KOVESK_API Name : public Base {                                        \
    public:                                                                      \
        explicit Name(const ::StringBase& text, int32_t line = 0,                \
                      const char* file = nullptr);                               \
        ~Name() override;                                                        \
        const char* what() const noexcept override;                              \
        const ::StringBase& message() const noexcept { return m_message; }       \
                                                                                 \
    private:                                                                     \
        ::StringBase m_message;                                                  \
    }

KO_ZEL_DECLARE_EXCEPTION_WITH_MESSAGE(OutOfRange2, OutOfRange);
KO_ZEL_DECLARE_EXCEPTION_WITH_MESSAGE(BoundExceeded2, BoundExceeded);
KO_ZEL_DECLARE_EXCEPTION_WITH_MESSAGE(InvalidArgument2, InvalidArgument);
KO_ZEL_DECLARE_EXCEPTION_WITH_MESSAGE(InvalidOperation2, InvalidOperation);

#undef KO_ZEL_DECLARE_EXCEPTION_WITH_MESSAGE

}  // namespace ko::zel::exception
