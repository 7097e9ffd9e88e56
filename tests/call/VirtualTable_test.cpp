// The host reaches the record and the formatter by virtual-table slot, so a
// reordered or inserted declaration breaks every host silently. A virtual
// member's pointer holds 1 + its byte offset in the table (Itanium C++ ABI);
// slots 0 and 1 are the destructors.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "call/CVISACall.h"
#include "format/CVisaFormat.h"

namespace {

using nKoVeskLog210::CVISACall;
using nKoVeskLog210::CVisaFormat;
using nKoVeskLog210::CVisaGenericFormat;

// The slot of a virtual member, or -1 when the member is not virtual.
template <class Member>
long SlotOf(Member member) {
    struct { uintptr_t pointer; ptrdiff_t adjustment; } representation;
    static_assert(sizeof(Member) == sizeof representation);
    std::memcpy(&representation, &member, sizeof representation);
    if ((representation.pointer & 1) == 0) return -1;
    return static_cast<long>((representation.pointer - 1) / sizeof(void*));
}

struct Slot {
    const char* name;
    long actual;
};
#define R(member) Slot{#member, SlotOf(&CVISACall::member)}
#define F(member) Slot{#member, SlotOf(&CVisaGenericFormat::member)}

// The members listed sit in consecutive slots from `first`; -1: none virtual.
void ExpectSlots(long first, std::initializer_list<Slot> slots) {
    long expected = first;
    for (const Slot& slot : slots) {
        EXPECT_EQ(slot.actual, expected) << slot.name;
        if (first >= 0) ++expected;
    }
}

TEST(VirtualTable, RecordSlotsFollowTheContract) {
    ExpectSlots(2, {R(operator==), R(operator!=), R(ProcessLoggerInput), R(ProcessLoggerMatchingOutput),
                    R(ProcessLoggerNonMatchingOutput), R(ProcessLoggerDebug), R(ShowProperties),
                    R(OpenFunctionHelp), R(Clone), R(IsViewable), R(FormatColumnText), R(GetBuffers),
                    R(GetGeneralPageInfo), R(GetGeneralPageData), R(FormatForOutput),
                    R(GetNumberOfLinesToExport), R(BuildXmlElement), R(ErrorReturned),
                    R(GetTextDisplayColor), R(GetDuration), R(IsErrorActionNeeded),
                    R(InitProcThreadInfo), R(GetProcThreadInfo), R(IncrementAuxCounter),
                    R(RemoveWrapper), R(SetAuxValue1), R(GetAuxValue1), R(SetAuxValue2),
                    R(GetAuxValue2), R(GetAuxPointer), R(SetAuxPointer), R(GetInputLogger),
                    R(GetOutputLogger), R(GetCallName), R(FormatCallDescriptionInput),
                    R(FormatCallDescriptionOutput), R(FormatCallDescriptionDebug), R(GetDescription),
                    R(ContainsUserSpecifiedError), R(GetNormalMaxViewableIndentLevel),
                    R(SetXmlCallStatus),
                    // 43..55: the record's own operations.
                    R(SetPageInputParamData), R(SetPageInputButtonData), R(SetPageOutputParamData),
                    R(SetPageOutputRetvalData), R(SetPageBufferParamData), R(SetPageBufferBufferData),
                    R(OpenAttributeHelp), R(OpenEventHelp), R(GetIncDecLevel), R(GetFormatterObject),
                    R(GetStatus), R(FormatDataList), R(IgnoreParameter)});
    // A stray `virtual` on a helper would grow the table the host sees.
    ExpectSlots(-1, {R(AddBufferToList), R(IsBufferInList), R(IsMatchingBufferName),
                     R(GetBufferListSize), R(ExtractStatusName), R(IsKnownVisaEvent),
                     R(IsKnownVisaAttribute)});
}

TEST(VirtualTable, FormatterSlotsFollowTheContract) {
    ExpectSlots(2, {F(FormatCallArgScalar), F(FormatCallArgArray), F(GetFormatLimits),
                    F(CalcNumberOfDataLines), F(FormatDataLine), F(LookupStatusDescriptor)});
    EXPECT_EQ(SlotOf(&CVisaFormat::FormatCallArgScalar), 2);
    ExpectSlots(-1, {F(lookupName), F(FormatMbcsString), F(CalcBytesPerLine),
                     Slot{"GetEventName", SlotOf(&CVisaFormat::GetEventName)},
                     Slot{"GetAttributeName", SlotOf(&CVisaFormat::GetAttributeName)}});
}

// The record's own fields follow the base in the documented order.
TEST(VirtualTable, FieldsFollowTheBaseInOrder) {
    struct Probe : CVISACall {
        using CVISACall::m_bufferList, CVISACall::m_formatter, CVISACall::m_lookupParamIndex;
    };
    const Probe p;
    const auto at = [&p](const void* field) {
        return static_cast<size_t>(static_cast<const char*>(field) - reinterpret_cast<const char*>(&p));
    };
    EXPECT_EQ(at(&p.m_bufferList), sizeof(CKOCall));
    EXPECT_EQ(at(&p.m_formatter), sizeof(CKOCall) + sizeof(void*));
    EXPECT_EQ(at(&p.m_lookupParamIndex), sizeof(CKOCall) + 2 * sizeof(void*));
}

}  // namespace
