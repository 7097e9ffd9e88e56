// The host's side of the services: what the host program (vesk-replay) and
// the tests set up and watch. The plug-in never includes this header; it
// sees only the services' own headers (CVeskUtility.h, CKOVeskRegistry.h,
// ...), so nothing here is part of what a plug-in may call.
//
// Settings are meant to be made before calls are rendered: rendering reads
// them without locks. The observers of message boxes and help requests are
// safe to use from any thread.
#pragma once

#include <cstdint>

#include "host/CKOVeskLocalization.h"
#include "host/IKoVeskLogger.h"
#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

class IKoVeskCall;

namespace nKoVeskHost {

// --- everything at once ----------------------------------------------------

// Puts every service back as a fresh process has it: the settings, the
// per-API records, the added status descriptions, the observers and the
// current property call.
KOVESK_API void ResetServices();

// --- paths and message boxes (CVeskUtility) -------------------------------

// The root of CVeskUtility::FullVeskFilePathname in a fresh process.
inline constexpr char kDefaultInstallationRoot[] = "/usr/share/kovesk";
KOVESK_API void SetInstallationRoot(const StringBase& root);

struct tMessageBox {
    int32_t textNumber;
    int32_t buttons;
};
// The last message box shown; false when none since the last reset.
KOVESK_API bool LastMessageBox(tMessageBox& shown);
KOVESK_API int32_t MessageBoxCount();
KOVESK_API void ResetMessageBoxes();

// --- language and status descriptions (CKOVeskLocalization) ---------------

KOVESK_API void SetLocaleLanguage(eKoVeskLocale locale);
// Adds or replaces the description of `code` under `prefix`; it is found
// before a built-in one.
KOVESK_API void SetStatusDescriptor(const StringBase& prefix, int32_t code,
                                    const StringBase& description);
// Removes every added description; the built-in ones of "VISA" stay.
KOVESK_API void ClearStatusDescriptors();

// --- per-API settings (CKOVeskRegistry) ------------------------------------

// Adds or replaces the setting `key` of `apiType` (an EKoVeskApiType or any
// other int).
KOVESK_API void SetApiValue(int32_t apiType, const StringBase& key, const StringBase& value);
KOVESK_API void ClearApiValues();

// --- application settings (CAppSettings) -----------------------------------

KOVESK_API void SetExportIsSummary(bool summary);

// --- help requests (CHelpLauncher) -----------------------------------------

// The host program has no help viewer: CHelpLauncher::Help records each
// request for the host to act on.
struct tHelpRequest {
    int32_t window;
    int32_t action;
    StringBase topic;
    StringBase helpFile;
};
// The last request made; false when none since the last reset.
KOVESK_API bool LastHelpRequest(tHelpRequest& request);
KOVESK_API int32_t HelpRequestCount();
KOVESK_API void ResetHelpRequests();

// --- per-API records (CVeskApiInfo) -----------------------------------------

// Empties every API family's record in place (no help file, no value
// names); pointers to the records stay valid.
KOVESK_API void ResetApiInfo();

// --- property pages (CurrentPropertyCall) -----------------------------------

// The failure a page entry point reported on this thread
// (VeskClasses_PropertyPage_ReportFailure) since the last take: true, with
// "ENTRY POINT: REASON" in `message`, and the report cleared; false when
// there is none.
KOVESK_API bool TakePropertyPageFailure(StringBase& message);

}  // namespace nKoVeskHost

extern "C" {
// Sets the call whose property pages are open (null: none); the host keeps
// it alive until it sets another. Read by
// VeskClasses_ListCtrl_GetCurrentPropertyCall (CurrentPropertyCall.h).
KOVESK_API void VeskClasses_ListCtrl_SetCurrentPropertyCall(IKoVeskCall* call);
}
