// The host reaches the record and the formatter by virtual-table slot, so a
// reordered or inserted declaration breaks every host silently. These tests
// read each operation's slot from its pointer-to-member (Itanium C++ ABI: a
// virtual member's pointer holds 1 + its byte offset in the table) and
// compare it with the contract. Slots 0 and 1 are the two destructors, so
// the first declared operation must sit in slot 2.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "call/CVISACall.h"
#include "format/CVisaFormat.h"

namespace {

using nKoVeskLog210::CVISACall;
using nKoVeskLog210::CVisaFormat;
using nKoVeskLog210::CVisaGenericFormat;

struct MemberPointerRepresentation {
    uintptr_t pointer;
    ptrdiff_t adjustment;
};

// The slot of a virtual member, or -1 when the member is not virtual.
template <class Member>
long SlotOf(Member member) {
    static_assert(sizeof(Member) == sizeof(MemberPointerRepresentation));
    MemberPointerRepresentation representation;
    std::memcpy(&representation, &member, sizeof representation);
    if ((representation.pointer & 1) == 0) return -1;
    return static_cast<long>((representation.pointer - 1) / sizeof(void*));
}

struct Slot {
    const char* name;
    long actual;
    long expected;
};

void ExpectSlots(std::initializer_list<Slot> slots) {
    for (const Slot& slot : slots) {
        EXPECT_EQ(slot.actual, slot.expected) << slot.name;
    }
}

#define SLOT(Class, member, expected) Slot{#member, SlotOf(&Class::member), expected}

TEST(RecordVirtualTable, HostFacingSlotsFollowTheContract) {
    ExpectSlots({
        SLOT(CVISACall, operator==, 2),
        SLOT(CVISACall, operator!=, 3),
        SLOT(CVISACall, ProcessLoggerInput, 4),
        SLOT(CVISACall, ProcessLoggerMatchingOutput, 5),
        SLOT(CVISACall, ProcessLoggerNonMatchingOutput, 6),
        SLOT(CVISACall, ProcessLoggerDebug, 7),
        SLOT(CVISACall, ShowProperties, 8),
        SLOT(CVISACall, OpenFunctionHelp, 9),
        SLOT(CVISACall, Clone, 10),
        SLOT(CVISACall, IsViewable, 11),
        SLOT(CVISACall, FormatColumnText, 12),
        SLOT(CVISACall, GetBuffers, 13),
        SLOT(CVISACall, GetGeneralPageInfo, 14),
        SLOT(CVISACall, GetGeneralPageData, 15),
        SLOT(CVISACall, FormatForOutput, 16),
        SLOT(CVISACall, GetNumberOfLinesToExport, 17),
        SLOT(CVISACall, BuildXmlElement, 18),
        SLOT(CVISACall, ErrorReturned, 19),
        SLOT(CVISACall, GetTextDisplayColor, 20),
        SLOT(CVISACall, GetDuration, 21),
        SLOT(CVISACall, IsErrorActionNeeded, 22),
        SLOT(CVISACall, InitProcThreadInfo, 23),
        SLOT(CVISACall, GetProcThreadInfo, 24),
        SLOT(CVISACall, IncrementAuxCounter, 25),
        SLOT(CVISACall, RemoveWrapper, 26),
        SLOT(CVISACall, SetAuxValue1, 27),
        SLOT(CVISACall, GetAuxValue1, 28),
        SLOT(CVISACall, SetAuxValue2, 29),
        SLOT(CVISACall, GetAuxValue2, 30),
        SLOT(CVISACall, GetAuxPointer, 31),
        SLOT(CVISACall, SetAuxPointer, 32),
        SLOT(CVISACall, GetInputLogger, 33),
        SLOT(CVISACall, GetOutputLogger, 34),
        SLOT(CVISACall, GetCallName, 35),
        SLOT(CVISACall, FormatCallDescriptionInput, 36),
        SLOT(CVISACall, FormatCallDescriptionOutput, 37),
        SLOT(CVISACall, FormatCallDescriptionDebug, 38),
        SLOT(CVISACall, GetDescription, 39),
        SLOT(CVISACall, ContainsUserSpecifiedError, 40),
        SLOT(CVISACall, GetNormalMaxViewableIndentLevel, 41),
        SLOT(CVISACall, SetXmlCallStatus, 42),
    });
}

TEST(RecordVirtualTable, VisaSlotsFollowTheContract) {
    ExpectSlots({
        SLOT(CVISACall, SetPageInputParamData, 43),
        SLOT(CVISACall, SetPageInputButtonData, 44),
        SLOT(CVISACall, SetPageOutputParamData, 45),
        SLOT(CVISACall, SetPageOutputRetvalData, 46),
        SLOT(CVISACall, SetPageBufferParamData, 47),
        SLOT(CVISACall, SetPageBufferBufferData, 48),
        SLOT(CVISACall, OpenAttributeHelp, 49),
        SLOT(CVISACall, OpenEventHelp, 50),
        SLOT(CVISACall, GetIncDecLevel, 51),
        SLOT(CVISACall, GetFormatterObject, 52),
        SLOT(CVISACall, GetStatus, 53),
        SLOT(CVISACall, FormatDataList, 54),
        SLOT(CVISACall, IgnoreParameter, 55),
    });
}

// The helpers of the buffer list and the identity are plain members: a
// stray `virtual` would shift nothing but would grow the table the host sees.
TEST(RecordVirtualTable, PlainMembersAreNotVirtual) {
    ExpectSlots({
        SLOT(CVISACall, AddBufferToList, -1),
        SLOT(CVISACall, IsBufferInList, -1),
        SLOT(CVISACall, IsMatchingBufferName, -1),
        SLOT(CVISACall, GetBufferListSize, -1),
        SLOT(CVISACall, ExtractStatusName, -1),
        SLOT(CVISACall, IsKnownVisaEvent, -1),
        SLOT(CVISACall, IsKnownVisaAttribute, -1),
    });
}

TEST(FormatterVirtualTable, SlotsFollowTheContract) {
    ExpectSlots({
        SLOT(CVisaGenericFormat, FormatCallArgScalar, 2),
        SLOT(CVisaGenericFormat, FormatCallArgArray, 3),
        SLOT(CVisaGenericFormat, GetFormatLimits, 4),
        SLOT(CVisaGenericFormat, CalcNumberOfDataLines, 5),
        SLOT(CVisaGenericFormat, FormatDataLine, 6),
        SLOT(CVisaGenericFormat, LookupStatusDescriptor, 7),
        SLOT(CVisaFormat, FormatCallArgScalar, 2),
        SLOT(CVisaGenericFormat, lookupName, -1),
        SLOT(CVisaGenericFormat, FormatMbcsString, -1),
        SLOT(CVisaGenericFormat, CalcBytesPerLine, -1),
        SLOT(CVisaFormat, GetEventName, -1),
        SLOT(CVisaFormat, GetAttributeName, -1),
    });
}

// The record's own fields follow the base in the documented order.
TEST(RecordLayout, FieldsFollowTheBaseInOrder) {
    struct Probe : CVISACall {
        size_t offsetOf(const void* field) const {
            return static_cast<size_t>(static_cast<const char*>(field) -
                                       reinterpret_cast<const char*>(this));
        }
        size_t list() const { return offsetOf(&m_bufferList); }
        size_t formatter() const { return offsetOf(&m_formatter); }
        size_t lookup() const { return offsetOf(&m_lookupParamIndex); }
    };
    const Probe probe;
    EXPECT_EQ(probe.list(), sizeof(CKOCall));
    EXPECT_EQ(probe.formatter(), probe.list() + sizeof(void*));
    EXPECT_EQ(probe.lookup(), probe.formatter() + sizeof(void*));
}

}  // namespace
