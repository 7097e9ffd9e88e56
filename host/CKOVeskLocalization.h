// The host's localisation: the user's language and the localized
// descriptions of status codes.
//
// Both may be called from any thread; they read without locks. What the
// host program and tests set (the language, added descriptions) is in
// host/HostSideServices.h.
#pragma once

#include <cstdint>

#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

// The host's language choice, passed on to value-name callbacks.
enum eKoVeskLocale : int32_t {
    eKoVeskLocaleEnglish = 0,
    eKoVeskLocaleGerman = 1,
    eKoVeskLocaleJapanese = 2,
};

class KOVESK_API CKOVeskLocalization {
public:
    static eKoVeskLocale GetLocaleLanguage();
    // Writes the localized description of status `code` of the API whose
    // setting "StatusPrefix" is `prefix` into `result`; false when there is
    // none (then `result` is untouched). The prefix "VISA" has built-in
    // descriptions; the host may add to or override them.
    static bool LookupStatusDescriptor(int32_t code, const StringBase& prefix,
                                       StringBase& result);
};
