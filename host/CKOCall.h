// The host's base call record: what every API family's record shares.
//
// Stores the two loggers on ingestion, the description given by SetCallDesc,
// the thread information and the auxiliary fields, and gives the general
// texts of a call: the non-status list columns, one export line, the
// general XML members, the window title and the general property page.
// A plug-in's record derives from it and overrides what is particular to
// its API family.
#pragma once

#include <cstdint>
#include <vector>

#include "host/IKoVeskCall.h"
#include "host/IKoVeskLogger.h"  // the inline logger accessors convert to the base
#include "ko/zel/Export.h"

class KOVESK_API CKOCall : public IKoVeskCall {
public:
    CKOCall();
    CKOCall(const CKOCall& other);
    CKOCall& operator=(const CKOCall&) = delete;
    ~CKOCall() override;

    // Stores the one-line description shown in the call list.
    void SetCallDesc(const StringBase& description);

    bool operator==(const IKoVeskCall& other) const override;
    bool operator!=(const IKoVeskCall& other) const override;
    void ProcessLoggerInput(IKoVeskLoggerImpl* logger, bool& handled) override;
    void ProcessLoggerMatchingOutput(IKoVeskLoggerImpl* logger) override;
    void ProcessLoggerNonMatchingOutput(IKoVeskLoggerImpl* logger, bool& handled) override;
    void ProcessLoggerDebug(IKoVeskLoggerImpl* logger) override;
    // Title "Call Properties"; appends the general page file.
    void ShowProperties(StringBase& title, std::vector<StringBase>& pages) const override;
    void OpenFunctionHelp() const override;
    IKoVeskCall* Clone() const override;
    bool IsViewable() const override;
    // Function name, description, API type and thread; empty for the status.
    StringBase FormatColumnText(eColumnId column) const override;
    bool GetBuffers(std::vector<char*>& data, std::vector<int>& sizes) const override;
    void GetGeneralPageInfo(std::vector<StringBase>& names) const override;
    void GetGeneralPageData(std::vector<StringBase>& values) const override;
    // One line: the description; in export use 2 between double quotes.
    void FormatForOutput(StringBase* lines, int lineCount, eCallExportUse use) const override;
    // 1 (the description line).
    int GetNumberOfLinesToExport(eCallExportUse use) const override;
    // The function name and the description, API type and function id.
    CallTag BuildXmlElement() const override;
    bool ErrorReturned() const override;
    uint32_t GetTextDisplayColor() const override;
    uint64_t GetDuration() const override;
    bool IsErrorActionNeeded() const override;
    void InitProcThreadInfo(CProcThreadInfo* info) override;
    CProcThreadInfo* GetProcThreadInfo() const override { return m_threadInfo; }
    void IncrementAuxCounter() override { ++m_auxCounter; }
    void RemoveWrapper() override;
    void SetAuxValue1(uint32_t value) override { m_auxValue1 = value; }
    uint32_t GetAuxValue1() const override { return m_auxValue1; }
    void SetAuxValue2(uint32_t value) override { m_auxValue2 = value; }
    uint32_t GetAuxValue2() const override { return m_auxValue2; }
    void* GetAuxPointer() const override { return m_auxPointer; }
    void SetAuxPointer(void* pointer) override { m_auxPointer = pointer; }
    const IKoVeskLogger* GetInputLogger() const override { return m_inputLogger; }
    const IKoVeskLogger* GetOutputLogger() const override { return m_outputLogger; }
    // The input logger's function name; "" before ingestion.
    const char* GetCallName() const override;
    // The base describes a call by its function name and "()".
    void FormatCallDescriptionInput() override;
    void FormatCallDescriptionOutput() override;
    void FormatCallDescriptionDebug() override;
    const StringBase& GetDescription() const override { return m_description; }
    bool ContainsUserSpecifiedError() const override;
    int GetNormalMaxViewableIndentLevel() const override;
    // The base knows no status: sets kind 1 when the call succeeded, else 3,
    // with value 0 and empty texts.
    void SetXmlCallStatus(CallTag& element) const override;

    uint64_t GetAuxCounter() const { return m_auxCounter; }

private:
    IKoVeskLoggerImpl* m_inputLogger = nullptr;   // not owned
    IKoVeskLoggerImpl* m_outputLogger = nullptr;  // not owned
    CProcThreadInfo* m_threadInfo = nullptr;      // not owned
    StringBase m_description;
    uint64_t m_auxCounter = 0;
    uint32_t m_auxValue1 = 0;
    uint32_t m_auxValue2 = 0;
    void* m_auxPointer = nullptr;
};
