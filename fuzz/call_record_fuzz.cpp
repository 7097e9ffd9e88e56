// Fuzz target: a whole call record over loggers built from the input: the
// input and output descriptions, the status column, every export use (with
// exactly the lines the record asks for), the XML element and status, the
// property pages through the exported entry points, and a clone.
//
// Input: a control byte (bit 0: C.UTF-8; bit 1: the call returned; bit 2:
// matching output; bit 3: summary exports; bit 4: the output description
// twice), the input logger, the output logger when the call returned, and
// the host's value names (FuzzHost.h).
#include <memory>
#include <vector>

#include "call/CVISACall.h"
#include "call/RecordLimits.h"
#include "entry/VeskEntryPoints.h"
#include "fuzz/FuzzHost.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzLocale.h"
#include "fuzz/FuzzSupport.h"
#include "host/CProcThreadInfo.h"
#include "host/HostSideServices.h"
#include "host/Plexa.h"

namespace kovesk_fuzz {
namespace {

using namespace nKoVeskLog210;

const IKoVeskCall::eCallExportUse kExportUses[] = {
    IKoVeskCall::eExportUseText,  IKoVeskCall::eExportUseClipboard,
    IKoVeskCall::eExportUseQuoted, IKoVeskCall::eExportUsePrint,
    IKoVeskCall::eExportUseLimited, static_cast<IKoVeskCall::eCallExportUse>(-1),
    static_cast<IKoVeskCall::eCallExportUse>(77)};

struct RecordDeleter {
    void operator()(IKoVeskCall* record) const { delete record; }
};
using RecordPtr = std::unique_ptr<IKoVeskCall, RecordDeleter>;

void CheckDescription(const IKoVeskCall& record) {
    const StringBase& description = record.GetDescription();
    FUZZ_CHECK(description.length() < kDescriptionBufferSize);
    FUZZ_CHECK(description.length() >= 1 && description[description.length() - 1] == ')');
}

// Every export use, into exactly the lines the record asks for.
void Export(const IKoVeskCall& record) {
    for (const IKoVeskCall::eCallExportUse use : kExportUses) {
        Tolerating([&] {
            const int count = record.GetNumberOfLinesToExport(use);
            FUZZ_CHECK(count >= 1);
            const std::unique_ptr<StringBase[]> lines(new StringBase[static_cast<size_t>(count)]);
            record.FormatForOutput(lines.get(), count, use);
        });
    }
}

// The pages as the host's page files pull them.
void PullPages(IKoVeskCall& record) {
    VeskClasses_ListCtrl_SetCurrentPropertyCall(&record);
    HStrArray** names = PlexaNewStringArray();
    HStrArray** values = PlexaNewStringArray();
    HStr** text = PlexaNewString();
    HStr** description = PlexaNewString();
    VeskVV_Input_GetParamData(names, values);
    int32_t attributeButton = -1;
    int32_t eventButton = -1;
    VeskVV_Input_GetButtonData(&attributeButton, &eventButton);
    VeskVV_Input_OnHelpEvent();
    VeskVV_Input_OnHelpAttr();
    VeskVV_Output_GetParamData(names, values);
    VeskVV_Output_GetRetvalData(text, description);
    VeskVV_Buffer_GetBufferData(names);
    const auto* visa = dynamic_cast<const CVISACall*>(&record);
    const int buffers = visa ? static_cast<int>(visa->GetBufferListSize()) : 0;
    for (int position = -1; position <= buffers; ++position) {
        VeskVV_Buffer_GetParamData(position, text, values);
    }
    PlexaDisposeString(description);
    PlexaDisposeString(text);
    PlexaDisposeStringArray(values);
    PlexaDisposeStringArray(names);
    VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
}

// The page data called directly, in the selectors the pages and XML do not use.
void RenderRows(const CVISACall& record) {
    std::vector<StringBase> names;
    std::vector<StringBase> values;
    for (const eFormatSpecifier format :
         {eFormatShort, eFormatLine, static_cast<eFormatSpecifier>(9)}) {
        Tolerating([&] {
            record.SetPageInputParamData(names, values, format);
            FUZZ_CHECK(names.size() == values.size());
        });
        if (!record.GetOutputLogger()) continue;
        Tolerating([&] {
            record.SetPageOutputParamData(names, values, format);
            FUZZ_CHECK(names.size() == values.size());
        });
    }
    StringBase title;
    std::vector<StringBase> pages;
    Tolerating([&] { record.ShowProperties(title, pages); });
    std::vector<char*> data;
    std::vector<int> sizes;
    record.GetBuffers(data, sizes);
    FUZZ_CHECK(data.size() == sizes.size());
}

void RenderEverything(IKoVeskCall& record, bool returned) {
    for (int column = IKoVeskCall::eColumnFunction; column <= IKoVeskCall::eColumnThread + 1;
         ++column) {
        Tolerating([&] { record.FormatColumnText(static_cast<IKoVeskCall::eColumnId>(column)); });
    }
    Export(record);
    Tolerating([&] {
        CallTag element = record.BuildXmlElement();
        if (returned) record.SetXmlCallStatus(element);
    });
    if (const auto* visa = dynamic_cast<const CVISACall*>(&record)) RenderRows(*visa);
    PullPages(record);
}

}  // namespace

void RunOneInput(const uint8_t* data, size_t size) {
    SetUpHostOnce();
    FuzzInput input(data, size);
    const uint8_t control = input.byte();
    UseLocale((control & 1) != 0);
    const bool returned = (control & 2) != 0;
    CKOVeskMemoryLogger inputLogger;
    CKOVeskMemoryLogger outputLogger;
    ReadLogger(input, inputLogger);
    if (returned) ReadLogger(input, outputLogger);
    ReadHostNames(input, inputLogger.GetApiType());
    nKoVeskHost::SetExportIsSummary((control & 8) != 0);

    CProcThreadInfo thread;
    const RecordPtr record(VeskNewCall());
    record->InitProcThreadInfo(&thread);
    bool handled = false;
    record->ProcessLoggerInput(&inputLogger, handled);
    if (Tolerating([&] { record->FormatCallDescriptionInput(); })) CheckDescription(*record);
    if (returned) {
        if (control & 4) {
            record->ProcessLoggerMatchingOutput(&outputLogger);
        } else {
            record->ProcessLoggerNonMatchingOutput(&outputLogger, handled);
        }
        for (int pass = 0; pass < ((control & 16) ? 2 : 1); ++pass) {
            if (Tolerating([&] { record->FormatCallDescriptionOutput(); })) {
                CheckDescription(*record);
            }
        }
    }
    RenderEverything(*record, returned);

    const RecordPtr clone(record->Clone());
    RenderEverything(*clone, returned);
}

}  // namespace kovesk_fuzz
