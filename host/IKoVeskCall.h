// The host's interface of one captured call record.
//
// The host keeps one record per captured call, made by the plug-in of the
// call's API family, and drives it only through this virtual table. The slot
// order is a binary contract with every plug-in: never reorder, insert or
// remove a declaration here. Slot numbers are given in the comments
// (0 and 1 are the two destructors).
//
// The host owns every record and the loggers and thread information it
// hands to one; a record is used by one thread at a time, the host's.
#pragma once

#include <cstdint>
#include <vector>

#include "host/CallTag.h"
#include "ko/zel/Export.h"
#include "ko/zel/StringBase.h"

class IKoVeskLogger;
class IKoVeskLoggerImpl;
class CProcThreadInfo;

class KOVESK_API IKoVeskCall {
public:
    // Which logger holds a parameter: 2 the input logger; every other value
    // (normally 0xFFFF) the output logger.
    enum eLogDataType : uint32_t {
        eLogDataInput = 2,
        eLogDataOutput = 0xFFFF,
    };

    // Columns of the host's call list.
    enum eColumnId : int32_t {
        eColumnFunction = 0,
        eColumnDescription = 1,
        eColumnStatus = 2,
        eColumnApi = 3,
        eColumnThread = 4,
    };

    // What a text export is for. Use 2 quotes the line and puts the failure
    // mark inside the quotes; use 4 holds dumps to a fixed number of lines.
    enum eCallExportUse : int32_t {
        eExportUseText = 0,
        eExportUseClipboard = 1,
        eExportUseQuoted = 2,
        eExportUsePrint = 3,
        eExportUseLimited = 4,
    };

    // 0, 1: the host destroys a record it owns through this destructor.
    virtual ~IKoVeskCall();
    // 2, 3: whether two records show the same call (function, API type and
    // description); the host's lists use it to find a call again.
    virtual bool operator==(const IKoVeskCall& other) const = 0;
    virtual bool operator!=(const IKoVeskCall& other) const = 0;
    // 4: the call has been entered. The record keeps `logger` (the host owns
    // it and keeps it alive as long as the record); `handled` is the host's
    // flag, which the record may leave as it is.
    virtual void ProcessLoggerInput(IKoVeskLoggerImpl* logger, bool& handled) = 0;
    // 5: the call has returned; the record keeps `logger` (host-owned) as its
    // output logger.
    virtual void ProcessLoggerMatchingOutput(IKoVeskLoggerImpl* logger) = 0;
    // 6: an output that the host could not pair with its input; kept as the
    // output logger like slot 5, `handled` as in slot 4.
    virtual void ProcessLoggerNonMatchingOutput(IKoVeskLoggerImpl* logger, bool& handled) = 0;
    // 7: debug output of the call; `logger` is not kept after the call.
    virtual void ProcessLoggerDebug(IKoVeskLoggerImpl* logger) = 0;
    // 8: sets the properties window's `title` and appends the full paths of
    // the page files to show to `pages`; both belong to the caller.
    virtual void ShowProperties(StringBase& title, std::vector<StringBase>& pages) const = 0;
    // 9: opens the API family's help at the call's function, or tells the
    // user there is none.
    virtual void OpenFunctionHelp() const = 0;
    // 10: a copy of the record, owned by the caller; it shares the loggers
    // and thread information, which the host owns.
    virtual IKoVeskCall* Clone() const = 0;
    // 11: whether the host lists the call at all.
    virtual bool IsViewable() const = 0;
    // 12: the text of one list column, owned by the caller; empty for a
    // column the record has nothing for.
    virtual StringBase FormatColumnText(eColumnId column) const = 0;
    // 13: refills `data` and `sizes` with a pointer into the loggers' bytes
    // and the byte count of every data buffer (valid while the loggers
    // live; the host copies them); false when the call has no buffers.
    virtual bool GetBuffers(std::vector<char*>& data, std::vector<int>& sizes) const = 0;
    // 14, 15: the general property page: refills `names` with its row names
    // and `values` with the call's values, in the same order.
    virtual void GetGeneralPageInfo(std::vector<StringBase>& names) const = 0;
    virtual void GetGeneralPageData(std::vector<StringBase>& values) const = 0;
    // 16: fills the host's `lines` (`lineCount` of them, the number slot 17
    // gave for the same `use`) with the call's export; writes nothing past
    // lines[lineCount - 1].
    virtual void FormatForOutput(StringBase* lines, int lineCount, eCallExportUse use) const = 0;
    // 17: the number of lines FormatForOutput will fill for `use`; the host
    // allocates exactly this many.
    virtual int GetNumberOfLinesToExport(eCallExportUse use) const = 0;
    // 18: the call's XML element, returned by value to the host, which
    // serialises it; data pointers in it point into the loggers.
    virtual CallTag BuildXmlElement() const = 0;
    // 19: true when the call returned and reported a failure.
    virtual bool ErrorReturned() const = 0;
    // 20: the list's text colour for the call, 0x00RRGGBB.
    virtual uint32_t GetTextDisplayColor() const = 0;
    // 21: how long the call took; 0 when the capture has no timing.
    virtual uint64_t GetDuration() const = 0;
    // 22: whether the host must act on a failure of this call.
    virtual bool IsErrorActionNeeded() const = 0;
    // 23: gives the record its thread's information (host-owned, not kept
    // beyond the thread's life); ingestion raises and lowers its depth.
    virtual void InitProcThreadInfo(CProcThreadInfo* info) = 0;
    // 24: the thread information given in slot 23; null before.
    virtual CProcThreadInfo* GetProcThreadInfo() const = 0;
    // 25: adds one to the host's counter of the call.
    virtual void IncrementAuxCounter() = 0;
    // 26: drops a wrapper the host put around the record, if any.
    virtual void RemoveWrapper() = 0;
    // 27 to 32: two numbers and a pointer that the host stores with the
    // call; the record never reads them, and the pointer is not owned.
    virtual void SetAuxValue1(uint32_t value) = 0;
    virtual uint32_t GetAuxValue1() const = 0;
    virtual void SetAuxValue2(uint32_t value) = 0;
    virtual uint32_t GetAuxValue2() const = 0;
    virtual void* GetAuxPointer() const = 0;
    virtual void SetAuxPointer(void* pointer) = 0;
    // 33, 34: the loggers kept by slots 4 and 5/6 (host-owned); null before
    // the call was entered / has returned.
    virtual const IKoVeskLogger* GetInputLogger() const = 0;
    virtual const IKoVeskLogger* GetOutputLogger() const = 0;
    // 35: the function's name; never null ("" before the call was entered).
    // The text belongs to the input logger.
    virtual const char* GetCallName() const = 0;
    // 36, 37: render the one-line description after entry and again after
    // return, and store it for slot 39 (SetCallDesc).
    virtual void FormatCallDescriptionInput() = 0;
    virtual void FormatCallDescriptionOutput() = 0;
    // 38: the description of a debug output.
    virtual void FormatCallDescriptionDebug() = 0;
    // 39: the description stored last; owned by the record, valid until the
    // next description is rendered or the record dies.
    virtual const StringBase& GetDescription() const = 0;
    // 40: whether the call matches an error condition the user specified.
    virtual bool ContainsUserSpecifiedError() const = 0;
    // 41: the deepest nesting level the list indents to.
    virtual int GetNormalMaxViewableIndentLevel() const = 0;
    // 42: writes kind, value, name and description of the returned status
    // into the host's `element`; called only for calls that returned.
    virtual void SetXmlCallStatus(CallTag& element) const = 0;
};
