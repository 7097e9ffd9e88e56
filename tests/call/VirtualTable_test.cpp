// The host reaches the record and the formatter by virtual-table slot (0 and
// 1: the destructors): a reordered or inserted declaration breaks every host
// silently. A virtual member's pointer holds 1 + its table offset (Itanium).
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

// The members listed sit in consecutive slots from `first`.
void ExpectSlots(long first, std::initializer_list<Slot> slots) {
    for (const Slot& slot : slots) {
        EXPECT_EQ(slot.actual, first++) << slot.name;
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
}

TEST(VirtualTable, FormatterSlotsFollowTheContract) {
    ExpectSlots(2, {F(FormatCallArgScalar), F(FormatCallArgArray), F(GetFormatLimits),
                    F(CalcNumberOfDataLines), F(FormatDataLine), F(LookupStatusDescriptor)});
    EXPECT_EQ(SlotOf(&CVisaFormat::FormatCallArgScalar), 2);
}

}  // namespace
