// The host's general utilities: its texts by number, printf-style
// formatting, message boxes, the paths of files shipped with the host, and
// copies of texts into the graphical runtime's string handles.
//
// All are static and may be called from any thread. What the host program
// and tests set or watch (the installation root, the message boxes shown)
// is in host/HostSideServices.h.
#pragma once

#include <cstdint>
#include <vector>

#include "ko/zel/Export.h"
#include "host/Plexa.h"
#include "ko/zel/StringBase.h"

// Host text numbers used by plug-ins.
enum : int32_t {
    kTextHelpNotAvailable = 43000,    // "Help is not available for this item."
    kTextBufferContents = 43001,      // "Buffer contents:"
    kTextBufferContentsShort = 43002, // "Buffer contents (shortened):"
    kTextReturnStatus = 43007,        // "Return status: %s"
};

enum eMessageBoxButtons : int32_t {
    eMessageBoxOk = 0,
    eMessageBoxOkInformation = 48,
};

class KOVESK_API CVeskUtility {
public:
    enum eVeskFilePaths : int32_t {
        eVeskFileInstallation = 0,
        eVeskFilePropertyPages = 1,
    };

    // The host's text of that number; empty for an unknown number.
    static StringBase LoadString(int32_t textNumber);
    // printf-style formatting into `result` (replaces its content; an
    // argument may be `result` itself). A null format gives an empty text.
    static void sprintf(StringBase& result, const char* format, ...)
        __attribute__((format(printf, 2, 3)));
    // Shows the message of that number; returns the button pressed (0).
    static int32_t SimpleMessageBox(int32_t textNumber, eMessageBoxButtons buttons);
    // Full path of a file shipped with the host: "<root>/<relative>" for
    // every kind of file.
    static StringBase FullVeskFilePathname(const StringBase& relative, eVeskFilePaths kind);
    // Copies text into a runtime string handle, or texts into a string-array
    // handle (resizing it). A null handle is ignored. (Defined in Plexa.cpp,
    // beside the handles.)
    static void StringToPlexa(const StringBase& text, HStr** handle);
    static void StringToPlexa(const std::vector<StringBase>& texts, HStrArray** handle);
    // The same, releasing each text once it is copied (the vector keeps its
    // elements, empty), so that millions of lines are never held twice.
    static void StringToPlexa(std::vector<StringBase>&& texts, HStrArray** handle);
};
