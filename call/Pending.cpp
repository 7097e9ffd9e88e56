#include "call/CVISACall.h"

// Interim bodies of the record's renderings; each moves to its own file as
// it lands.
namespace nKoVeskLog210 {

void CVISACall::ShowProperties(StringBase& title, std::vector<StringBase>& pages) const {
    CKOCall::ShowProperties(title, pages);
}
StringBase CVISACall::FormatColumnText(eColumnId column) const {
    return CKOCall::FormatColumnText(column);
}
void CVISACall::FormatForOutput(StringBase* lines, int lineCount, eCallExportUse use) const {
    CKOCall::FormatForOutput(lines, lineCount, use);
}
int CVISACall::GetNumberOfLinesToExport(eCallExportUse use) const {
    return CKOCall::GetNumberOfLinesToExport(use);
}
CallTag CVISACall::BuildXmlElement() const { return CKOCall::BuildXmlElement(); }
void CVISACall::FormatCallDescriptionInput() {}
void CVISACall::FormatCallDescriptionOutput() {}
void CVISACall::SetXmlCallStatus(CallTag&) const {}
void CVISACall::SetPageInputParamData(std::vector<StringBase>&, std::vector<StringBase>&,
                                      eFormatSpecifier) const {}
void CVISACall::SetPageInputButtonData(eButtonState&, eButtonState&) const {}
void CVISACall::SetPageOutputParamData(std::vector<StringBase>&, std::vector<StringBase>&,
                                       eFormatSpecifier) const {}
void CVISACall::SetPageOutputRetvalData(StringBase&, StringBase&) const {}
void CVISACall::SetPageBufferParamData(int, StringBase&, std::vector<StringBase>&) const {}
void CVISACall::SetPageBufferBufferData(std::vector<StringBase>&) const {}
void CVISACall::OpenAttributeHelp() const {}
void CVISACall::OpenEventHelp() const {}
StringBase CVISACall::GetStatus(bool) const { return StringBase(); }
void CVISACall::FormatDataList(StringBase*, StringBase&, const tBufferInfo&, bool, int) const {}
StringBase CVISACall::ExtractStatusName(const StringBase&) const { return StringBase(); }
const char* CVISACall::GetEventName(char*, unsigned) const { return nullptr; }
const char* CVISACall::GetAttributeName(char*, unsigned) const { return nullptr; }
bool CVISACall::IsKnownVisaEvent() const { return false; }
bool CVISACall::IsKnownVisaAttribute() const { return false; }

}  // namespace nKoVeskLog210
