// The host's utility services: texts, formatting, message boxes, file paths,
// the graphical runtime's strings, localisation, settings, help, per-thread
// nesting and per-API information.
//
// Each service also has setters and observers (marked "host side") through
// which the host program configures it and tests watch it. Settings are
// meant to be set up before calls are rendered; the observers of message
// boxes and help requests are safe to use from any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "host/IKoVeskLogger.h"
#include "host/KoVeskExport.h"
#include "host/Plexa.h"
#include "ko/zel/StringBase.h"

class IKoVeskCall;

// The host's language choice, passed on to value-name callbacks.
enum eKoVeskLocale : int32_t {
    eKoVeskLocaleEnglish = 0,
    eKoVeskLocaleGerman = 1,
    eKoVeskLocaleJapanese = 2,
};

enum eMessageBoxButtons : int32_t {
    eMessageBoxOk = 0,
    eMessageBoxOkInformation = 48,
};

enum eHelpLauncherActions : int32_t {
    eHelpLauncherShowTopic = 0,
};

// Host text numbers used by plug-ins.
enum : int32_t {
    kTextHelpNotAvailable = 43000,    // "Help is not available for this item."
    kTextBufferContents = 43001,      // "Buffer contents:"
    kTextBufferContentsShort = 43002, // "Buffer contents (shortened):"
    kTextReturnStatus = 43007,        // "Return status: %s"
};

class KOVESK_API CVeskUtility {
public:
    enum eVeskFilePaths : int32_t {
        eVeskFileInstallation = 0,
        eVeskFilePropertyPages = 1,
    };

    // The host's text of that number; empty for an unknown number.
    static StringBase LoadString(int32_t textNumber);
    // printf-style formatting into `result` (replaces its content).
    static void sprintf(StringBase& result, const char* format, ...)
        __attribute__((format(printf, 2, 3)));
    // Shows the message of that number; returns the button pressed (0).
    static int32_t SimpleMessageBox(int32_t textNumber, eMessageBoxButtons buttons);
    // Full path of a file shipped with the host: "<root>/<relative>" for
    // kind 1 (property pages), "<root>/<relative>" for every other kind.
    static StringBase FullVeskFilePathname(const StringBase& relative, eVeskFilePaths kind);
    // Copies text into a runtime string handle, or texts into a string-array
    // handle (resizing it). A null handle is ignored.
    static void StringToPlexa(const StringBase& text, HStr** handle);
    static void StringToPlexa(const std::vector<StringBase>& texts, HStrArray** handle);

    // --- host side ----------------------------------------------------------
    struct tMessageBox {
        int32_t textNumber;
        int32_t buttons;
    };
    // The last message box shown; false when none since the last reset.
    static bool LastMessageBox(tMessageBox& shown);
    static int32_t MessageBoxCount();
    static void ResetMessageBoxes();
    // The root of FullVeskFilePathname; default "/usr/share/kovesk".
    static void SetInstallationRoot(const StringBase& root);
};

class KOVESK_API CKOVeskLocalization {
public:
    static eKoVeskLocale GetLocaleLanguage();
    // Writes the localized description of status `code` of the API whose
    // setting "StatusPrefix" is `prefix` into `result`; false when there is
    // none (then `result` is untouched).
    static bool LookupStatusDescriptor(int32_t code, const StringBase& prefix,
                                       StringBase& result);

    // --- host side ----------------------------------------------------------
    static void SetLocaleLanguage(eKoVeskLocale locale);
    // Adds or replaces one description (prefix, code).
    static void SetStatusDescriptor(const StringBase& prefix, int32_t code,
                                    const StringBase& description);
    // Removes every description added with SetStatusDescriptor; the built-in
    // descriptions of the "VISA" prefix stay.
    static void ClearStatusDescriptors();
};

class KOVESK_API CKOVeskRegistry {
public:
    // Reads the per-API setting `key` into `value`; false when it does not
    // exist (then `value` is untouched). `userScope` is accepted and unused.
    static bool GetApiValue(EKoVeskApiType apiType, const StringBase& key,
                            StringBase& value, bool userScope);

    // --- host side ----------------------------------------------------------
    static void SetApiValue(int32_t apiType, const StringBase& key, const StringBase& value);
    static void RemoveApiValue(int32_t apiType, const StringBase& key);
    static void ClearApiValues();
};

class KOVESK_API CAppSettings {
public:
    // True when exports are summaries (no buffer dumps).
    static bool GetExportIsSummary();

    // --- host side ----------------------------------------------------------
    static void SetExportIsSummary(bool summary);
};

class KOVESK_API CHelpLauncher {
public:
    // Opens the help file at `topic`; returns true when a request was made.
    static bool Help(int32_t window, eHelpLauncherActions action, const char* topic,
                     const StringBase& helpFile);

    // --- host side ----------------------------------------------------------
    struct tRequest {
        int32_t window;
        int32_t action;
        StringBase topic;
        StringBase helpFile;
    };
    static bool LastRequest(tRequest& request);
    static int32_t RequestCount();
    static void ResetRequests();
};

// Per-thread information of the traced process; keeps the nesting depth.
class KOVESK_API CProcThreadInfo {
public:
    CProcThreadInfo() = default;
    virtual ~CProcThreadInfo();
    void IncrementIndent(int steps);
    void DecrementIndent(int steps);  // never below 0
    int GetIndent() const { return m_indent; }

private:
    int m_indent = 0;
};

// Names a parameter's value for the host: writes a NUL-terminated name of at
// most `capacity` wide characters (terminator included) into `buffer`.
using VeskValueNameCallback = bool (*)(const IKoVeskLogger* logger, int index,
                                       eKoVeskLocale locale, bool compact,
                                       uint32_t capacity, wchar_t* buffer);

// What the host knows of one API family. Fields in this order.
class KOVESK_API CVeskApiInfo {
public:
    StringBase helpFilePath;                         // empty: no help file
    bool hasValueNames = false;                      // the host names values
    VeskValueNameCallback valueNameCallback = nullptr;

    // Never null; the record lives as long as the process.
    static CVeskApiInfo* GetVeskApiInfo(EKoVeskApiType apiType);

    // --- host side ----------------------------------------------------------
    // Resets every API family's record to no help file and no value names.
    static void ResetAll();
};

extern "C" {
// The call whose property pages are open; null when none.
KOVESK_API IKoVeskCall* VeskClasses_ListCtrl_GetCurrentPropertyCall();
// Host side: sets the call whose property pages are open (null: none).
KOVESK_API void VeskClasses_ListCtrl_SetCurrentPropertyCall(IKoVeskCall* call);
}
