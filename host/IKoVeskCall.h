// The host's interface of one captured call record.
//
// The host keeps one record per captured call, made by the plug-in of the
// call's API family, and drives it only through this virtual table. The slot
// order is a binary contract with every plug-in: never reorder, insert or
// remove a declaration here. Slot numbers are given in the comments
// (0 and 1 are the two destructors).
#pragma once

#include <cstdint>
#include <vector>

#include "host/CallTag.h"
#include "host/KoVeskExport.h"
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

    // 0, 1
    virtual ~IKoVeskCall();
    // 2, 3
    virtual bool operator==(const IKoVeskCall& other) const = 0;
    virtual bool operator!=(const IKoVeskCall& other) const = 0;
    // 4: the call has been entered; the record keeps the input logger.
    virtual void ProcessLoggerInput(IKoVeskLoggerImpl* logger, bool& handled) = 0;
    // 5: the call has returned; the record keeps the output logger.
    virtual void ProcessLoggerMatchingOutput(IKoVeskLoggerImpl* logger) = 0;
    // 6: an output that the host could not pair with its input.
    virtual void ProcessLoggerNonMatchingOutput(IKoVeskLoggerImpl* logger, bool& handled) = 0;
    // 7
    virtual void ProcessLoggerDebug(IKoVeskLoggerImpl* logger) = 0;
    // 8: fills the properties window title and appends page files.
    virtual void ShowProperties(StringBase& title, std::vector<StringBase>& pages) const = 0;
    // 9
    virtual void OpenFunctionHelp() const = 0;
    // 10: a copy of the record, owned by the caller.
    virtual IKoVeskCall* Clone() const = 0;
    // 11
    virtual bool IsViewable() const = 0;
    // 12: the text of one list column.
    virtual StringBase FormatColumnText(eColumnId column) const = 0;
    // 13: pointers into the loggers' bytes of every data buffer, and sizes.
    virtual bool GetBuffers(std::vector<char*>& data, std::vector<int>& sizes) const = 0;
    // 14, 15: the general property page.
    virtual void GetGeneralPageInfo(std::vector<StringBase>& names) const = 0;
    virtual void GetGeneralPageData(std::vector<StringBase>& values) const = 0;
    // 16: fills `lineCount` lines; the host allocated them after asking 17.
    virtual void FormatForOutput(StringBase* lines, int lineCount, eCallExportUse use) const = 0;
    // 17
    virtual int GetNumberOfLinesToExport(eCallExportUse use) const = 0;
    // 18
    virtual CallTag BuildXmlElement() const = 0;
    // 19 to 23
    virtual bool ErrorReturned() const = 0;
    virtual uint32_t GetTextDisplayColor() const = 0;
    virtual uint64_t GetDuration() const = 0;
    virtual bool IsErrorActionNeeded() const = 0;
    virtual void InitProcThreadInfo(CProcThreadInfo* info) = 0;
    // 24, 25
    virtual CProcThreadInfo* GetProcThreadInfo() const = 0;
    virtual void IncrementAuxCounter() = 0;
    // 26
    virtual void RemoveWrapper() = 0;
    // 27 to 34
    virtual void SetAuxValue1(uint32_t value) = 0;
    virtual uint32_t GetAuxValue1() const = 0;
    virtual void SetAuxValue2(uint32_t value) = 0;
    virtual uint32_t GetAuxValue2() const = 0;
    virtual void* GetAuxPointer() const = 0;
    virtual void SetAuxPointer(void* pointer) = 0;
    virtual const IKoVeskLogger* GetInputLogger() const = 0;
    virtual const IKoVeskLogger* GetOutputLogger() const = 0;
    // 35
    virtual const char* GetCallName() const = 0;
    // 36, 37: render the one-line description (SetCallDesc).
    virtual void FormatCallDescriptionInput() = 0;
    virtual void FormatCallDescriptionOutput() = 0;
    // 38 to 41
    virtual void FormatCallDescriptionDebug() = 0;
    virtual const StringBase& GetDescription() const = 0;
    virtual bool ContainsUserSpecifiedError() const = 0;
    virtual int GetNormalMaxViewableIndentLevel() const = 0;
    // 42: the status fields of the XML element; only for calls that returned.
    virtual void SetXmlCallStatus(CallTag& element) const = 0;
};
