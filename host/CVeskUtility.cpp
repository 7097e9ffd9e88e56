// The host's texts, formatting, message boxes and file paths.
// (StringToPlexa lives in Plexa.cpp, beside the handles it fills.)
#include "host/CVeskUtility.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

#include "host/HostSideServices.h"
#include "host/LastEventRecorder.h"

namespace {

struct tHostText {
    int32_t number;
    const char* text;
};

const tHostText kHostTexts[] = {
    {kTextHelpNotAvailable, "Help is not available for this item."},
    {kTextBufferContents, "Buffer contents:"},
    {kTextBufferContentsShort, "Buffer contents (shortened):"},
    {kTextReturnStatus, "Return status: %s"},
};

// Formatting starts in a stack buffer of this size and moves to the heap
// only for longer results.
constexpr size_t kFormatStackBytes = 1024;

// Created on first use and never destroyed, so a thread that renders while
// the process exits still finds it.
// Every kind of file lies under the one installation root: `directory` is
// the root with a "/" at its end, kept so that a path is one concatenation.
StringBase asDirectory(const StringBase& root) {
    StringBase directory(root);
    if (directory.empty() || directory[directory.length() - 1] != '/') directory += "/";
    return directory;
}

struct tPathState {
    std::mutex mutex;
    StringBase directory{asDirectory(nKoVeskHost::kDefaultInstallationRoot)};
};

tPathState& pathState() {
    static tPathState* state = new tPathState;
    return *state;
}

// Never destroyed: rendering threads may still record while the process exits.
LastEventRecorder<nKoVeskHost::tMessageBox>& messageBoxes() {
    static auto* recorder = new LastEventRecorder<nKoVeskHost::tMessageBox>;
    return *recorder;
}

}  // namespace

StringBase CVeskUtility::LoadString(int32_t textNumber) {
    for (const tHostText& entry : kHostTexts) {
        if (entry.number == textNumber) return StringBase(entry.text);
    }
    return StringBase();
}

void CVeskUtility::sprintf(StringBase& result, const char* format, ...) {
    if (!format) {
        result = StringBase();
        return;
    }
    char stackBuffer[kFormatStackBytes];
    va_list arguments;
    va_start(arguments, format);
    va_list retry;
    va_copy(retry, arguments);
    const int length = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, arguments);
    va_end(arguments);
    if (length < 0) {
        va_end(retry);
        result = StringBase();
        return;
    }
    if (static_cast<size_t>(length) < sizeof stackBuffer) {
        va_end(retry);
        result.assign(stackBuffer, static_cast<uint32_t>(length));
        return;
    }
    std::vector<char> heapBuffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(heapBuffer.data(), heapBuffer.size(), format, retry);
    va_end(retry);
    result.assign(heapBuffer.data(), static_cast<uint32_t>(length));
}

int32_t CVeskUtility::SimpleMessageBox(int32_t textNumber, eMessageBoxButtons buttons) {
    messageBoxes().Record(nKoVeskHost::tMessageBox{textNumber, buttons});
    return 0;
}

StringBase CVeskUtility::FullVeskFilePathname(const StringBase& relative,
                                              eVeskFilePaths /*kind*/) {
    tPathState& state = pathState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.directory + relative;
}

// --- host side -------------------------------------------------------------

void nKoVeskHost::SetInstallationRoot(const StringBase& root) {
    StringBase directory = asDirectory(root);
    tPathState& state = pathState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.directory = std::move(directory);
}

bool nKoVeskHost::LastMessageBox(tMessageBox& shown) { return messageBoxes().Last(shown); }

int32_t nKoVeskHost::MessageBoxCount() { return messageBoxes().Count(); }

void nKoVeskHost::ResetMessageBoxes() { messageBoxes().Reset(); }
