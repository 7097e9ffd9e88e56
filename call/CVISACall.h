// The plug-in's call record: one object per captured VISA call.
//
// The host makes it through VeskNewCall, feeds it the captured call through
// the ingestion operations and asks it for everything shown about the call:
// the one-line description, the status column, the text export, the XML
// element and the property-page data. The record keeps only its buffer list
// and one lookup position between calls; the captured data stay in the
// host's loggers.
//
// The virtual table is a binary contract with the host (slots 0 to 42 come
// from IKoVeskCall, 43 to 55 are declared here, in this order). A record is
// used by one thread at a time.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "format/CVisaFormat.h"
#include "format/FormatTypes.h"
#include "host/CKOCall.h"
#include "ko/zel/Export.h"

namespace nKoVeskLog210 {

class KOVESK_API CVISACall : public CKOCall {
public:
    // One remembered data buffer: the parameter's name, which logger holds
    // it (eLogDataInput: the input logger, anything else: the output
    // logger) and its position there.
    struct tBufferInfo {
        StringBase name;
        IKoVeskCall::eLogDataType type;
        int32_t paramIndex;
    };

    // States of the input page's help buttons.
    enum eButtonState : int32_t {
        eButtonNone = 0,         // the API offers no attribute or event help
        eButtonUnknownName = 1,  // help offered, but nothing named to open
        eButtonKnownName = 2,    // a named attribute or event can be opened
    };

    CVISACall();
    CVISACall(const CVISACall& other);
    CVISACall& operator=(const CVISACall&) = delete;
    // Releases every buffer entry, then the list, then the base.
    ~CVISACall() override;

    // --- host-facing operations (IKoVeskCall) ------------------------------

    // 4: closes two levels first for function 0x104 of kFunctionGroupApiType,
    // passes the logger to the base, then opens GetIncDecLevel levels.
    void ProcessLoggerInput(IKoVeskLoggerImpl* logger, bool& handled) override;
    // 5, 6: close GetIncDecLevel levels, pass to the base, then open two
    // levels for function 0x102 of kFunctionGroupApiType.
    void ProcessLoggerMatchingOutput(IKoVeskLoggerImpl* logger) override;
    void ProcessLoggerNonMatchingOutput(IKoVeskLoggerImpl* logger, bool& handled) override;
    // 8: the base's title and pages, then the VISA pages that have content
    // and ": <function>" on the title.
    void ShowProperties(StringBase& title, std::vector<StringBase>& pages) const override;
    // 10: a copy made with the copy constructor; the caller owns it.
    IKoVeskCall* Clone() const override;
    // 12: the short status text for the status column; the base's text for
    // every other column.
    StringBase FormatColumnText(eColumnId column) const override;
    // 13: the loggers' bytes of every listed buffer with a captured size;
    // false (and both vectors empty) when the list is empty.
    bool GetBuffers(std::vector<char*>& data, std::vector<int>& sizes) const override;
    // 16, 17: the base's lines, the status line and a dump of the first
    // buffer; a failed call has every line marked with "> ".
    void FormatForOutput(StringBase* lines, int lineCount, eCallExportUse use) const override;
    int GetNumberOfLinesToExport(eCallExportUse use) const override;
    // 18: the base element plus the page rows (unquoted) and every buffer.
    CallTag BuildXmlElement() const override;
    // 36, 37: the one-line description from the input logger, and again with
    // the returned values; remembers buffer parameters.
    void FormatCallDescriptionInput() override;
    void FormatCallDescriptionOutput() override;
    // 42: kind, value, name and description of the returned status.
    void SetXmlCallStatus(CallTag& element) const override;

    // --- property pages (43 to 48), reached through the VeskVV_* entry points
    // and, with eFormatUnquoted, by BuildXmlElement. Every list and text
    // belongs to the caller; lists are emptied before they are filled.

    // 43: the input page's rows: parameter names (with "&" or "*" in front
    // where a pointer and its data pair up) and their values in `format`.
    virtual void SetPageInputParamData(std::vector<StringBase>& names,
                                       std::vector<StringBase>& values,
                                       eFormatSpecifier format) const;
    // 44: the states of the input page's attribute and event help buttons.
    virtual void SetPageInputButtonData(eButtonState& attributeButton,
                                        eButtonState& eventButton) const;
    // 45: the output page's rows: returned values whose data type differs
    // from their input's. Needs both loggers.
    virtual void SetPageOutputParamData(std::vector<StringBase>& names,
                                        std::vector<StringBase>& values,
                                        eFormatSpecifier format) const;
    // 46: the full status text and the host's description of it (emptied
    // when the host has none); without a status, `value` is emptied and
    // `description` left as it was.
    virtual void SetPageOutputRetvalData(StringBase& value, StringBase& description) const;
    // 47: the heading and the compact dump lines of the buffer at position
    // `bufferIndex` of the list (as slot 48 names them); an index outside
    // the list empties `heading` and `lines`.
    virtual void SetPageBufferParamData(int bufferIndex, StringBase& heading,
                                        std::vector<StringBase>& lines) const;
    // 48: the names of the listed buffers, in list order, for the buffer
    // page's choice.
    virtual void SetPageBufferBufferData(std::vector<StringBase>& names) const;

    // --- help (49, 50): the host's help at the topic, or message 43000 ------
    virtual void OpenAttributeHelp() const;
    virtual void OpenEventHelp() const;

    // --- policy and rendering (51 to 55) -------------------------------------

    // Indent steps a call opens on input and closes on output: 1 for API
    // types 2 (kFunctionGroupApiType), 3 (VISA) and 27 with bits 8..15 of
    // the function id equal to 0x63, else 2.
    virtual int GetIncDecLevel(EKoVeskApiType apiType, int functionId) const;
    // The process-wide formatter (not owned). The constructor calls it to set
    // m_formatter, and there it always reaches this version: an override
    // takes effect only where it is called later.
    virtual CVisaFormat* GetFormatterObject() const;
    // The returned status rendered short (status column) or full; empty
    // when the call has not returned or names no status parameter.
    virtual StringBase GetStatus(bool shortForm) const;
    // Writes the dump of `buffer` into lines[0], lines[1], ... (at most
    // `maxLines` lines, -1 for no limit) and its heading into `heading`.
    virtual void FormatDataList(StringBase* lines, StringBase& heading,
                                const tBufferInfo& buffer, bool compact, int maxLines) const;
    // True for the hidden session-name parameters (names beginning
    // "dummyses"); sets *skipOutput (when not null) to false.
    virtual bool IgnoreParameter(const IKoVeskLogger* logger, int index,
                                 bool* skipOutput) const;

    // --- buffer list -----------------------------------------------------------

    // Appends a new entry (no duplicate check) and returns it.
    tBufferInfo* AddBufferToList(const char* name, IKoVeskCall::eLogDataType type,
                                 int paramIndex);
    // True when an entry's name equals `name` without regard to letter case.
    bool IsBufferInList(const char* name) const;
    // True when `second` equals `first`, or is "*" followed by `first`
    // (exact comparison); false when either is null.
    bool IsMatchingBufferName(const char* first, const char* second) const;
    static void delBI(tBufferInfo* info);
    uint32_t GetBufferListSize() const;

    // --- identity ------------------------------------------------------------

    // The text between the first "(" and the first ")" of `text`.
    StringBase ExtractStatusName(const StringBase& text) const;
    const char* GetEventName(char* buffer, unsigned size) const;
    const char* GetAttributeName(char* buffer, unsigned size) const;
    bool IsKnownVisaEvent() const;
    bool IsKnownVisaAttribute() const;

    // Position of the parameter naming an event type or attribute; -1 none.
    int32_t GetLookupParamIndex() const { return m_lookupParamIndex; }

protected:
    using tBufferList = std::list<tBufferInfo*>;

    // The fields are protected so that a derived record (in tests: one that
    // counts the formatter's work) can supply its own formatter.
    tBufferList* m_bufferList;
    CVisaFormat* m_formatter;
    int32_t m_lookupParamIndex;

private:
    const IKoVeskLogger* loggerOf(const tBufferInfo& buffer) const;
    // The export dumps the first buffer: summary off, a buffer listed, and
    // not export use 2.
    bool exportsDump(eCallExportUse use) const;
    // The formatter's line count for the buffer's dump, or 1 when the
    // logger states a size but gives no bytes (0 without a logger).
    int dumpLineCount(const tBufferInfo& buffer, bool compact) const;
    // The call returned and names its status parameter.
    bool hasStatusLine() const;
    const tBufferInfo* bufferAt(int position) const;
    void decrementIndent(int steps) const;
    void incrementIndent(int steps) const;
};

}  // namespace nKoVeskLog210
