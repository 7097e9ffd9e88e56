// Conversions between the wide character set and the narrow character set
// of the process's current locale, through the C library's iconv.
//
// Each call opens its own conversion descriptor and closes it before
// returning (reentrant; depends on the process locale, which is never
// changed here). Characters the target cannot represent become '?';
// a descriptor that cannot be opened throws InvalidLocale.
#pragma once

#include "ko/zel/StringBase.h"

// WideToNarrow and NarrowToWide are declared in ko/zel/StringBase.h, where the
// string's converting constructors need them.

