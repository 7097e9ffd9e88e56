// The C entry points of the three VISA property pages.
//
// Each finds the record whose pages are open, asks it for the page data
// through its virtual table and copies the texts into the runtime's
// handles. Each is a firewall: nothing is written when there is no VISA
// record on display, and no exception leaves (a record that throws leaves
// the outputs as they were).
#include <exception>
#include <utility>
#include <vector>

#include "call/CVISACall.h"
#include "entry/VeskEntryPoints.h"
#include "host/CVeskUtility.h"
#include "host/CurrentPropertyCall.h"

using nKoVeskLog210::CVISACall;
using nKoVeskLog210::eFormatFull;

namespace {

// The VISA record whose property pages are open, or null.
CVISACall* currentVisaCall() {
    return dynamic_cast<CVISACall*>(VeskClasses_ListCtrl_GetCurrentPropertyCall());
}

// Runs `body` with the current VISA record, if there is one. No exception
// leaves, since the caller is the runtime's C interface: a failure is
// reported to the host under `entryPoint`, which shows it in place of the
// page, and the outputs stay as they were.
template <class Body>
void withCurrentVisaCall(const char* entryPoint, Body body) noexcept {
    try {
        if (CVISACall* call = currentVisaCall()) body(*call);
    } catch (const std::exception& failure) {
        VeskClasses_PropertyPage_ReportFailure(entryPoint, failure.what());
    } catch (...) {
        VeskClasses_PropertyPage_ReportFailure(entryPoint, nullptr);
    }
}

}  // namespace

extern "C" {

void VeskVV_Input_GetParamData(HStrArray** names, HStrArray** values) {
    withCurrentVisaCall(__func__, [&](const CVISACall& call) {
        std::vector<StringBase> rowNames;
        std::vector<StringBase> rowValues;
        call.SetPageInputParamData(rowNames, rowValues, eFormatFull);
        CVeskUtility::StringToPlexa(std::move(rowNames), names);
        CVeskUtility::StringToPlexa(std::move(rowValues), values);
    });
}

void VeskVV_Input_GetButtonData(int32_t* attributeButton, int32_t* eventButton) {
    withCurrentVisaCall(__func__, [&](const CVISACall& call) {
        CVISACall::eButtonState attribute = CVISACall::eButtonNone;
        CVISACall::eButtonState event = CVISACall::eButtonNone;
        call.SetPageInputButtonData(attribute, event);
        if (attributeButton) *attributeButton = attribute;
        if (eventButton) *eventButton = event;
    });
}

void VeskVV_Input_OnHelpEvent() {
    withCurrentVisaCall(__func__, [](const CVISACall& call) { call.OpenEventHelp(); });
}

void VeskVV_Input_OnHelpAttr() {
    withCurrentVisaCall(__func__, [](const CVISACall& call) { call.OpenAttributeHelp(); });
}

void VeskVV_Output_GetParamData(HStrArray** names, HStrArray** values) {
    withCurrentVisaCall(__func__, [&](const CVISACall& call) {
        std::vector<StringBase> rowNames;
        std::vector<StringBase> rowValues;
        call.SetPageOutputParamData(rowNames, rowValues, eFormatFull);
        CVeskUtility::StringToPlexa(std::move(rowNames), names);
        CVeskUtility::StringToPlexa(std::move(rowValues), values);
    });
}

void VeskVV_Output_GetRetvalData(HStr** value, HStr** description) {
    withCurrentVisaCall(__func__, [&](const CVISACall& call) {
        StringBase returnValue;
        StringBase text;
        call.SetPageOutputRetvalData(returnValue, text);
        CVeskUtility::StringToPlexa(returnValue, value);
        CVeskUtility::StringToPlexa(text, description);
    });
}

void VeskVV_Buffer_GetParamData(int32_t bufferIndex, HStr** heading, HStrArray** lines) {
    withCurrentVisaCall(__func__, [&](const CVISACall& call) {
        StringBase dumpHeading;
        std::vector<StringBase> dumpLines;
        call.SetPageBufferParamData(bufferIndex, dumpHeading, dumpLines);
        CVeskUtility::StringToPlexa(dumpHeading, heading);
        CVeskUtility::StringToPlexa(std::move(dumpLines), lines);
    });
}

void VeskVV_Buffer_GetBufferData(HStrArray** names) {
    withCurrentVisaCall(__func__, [&](const CVISACall& call) {
        std::vector<StringBase> bufferNames;
        call.SetPageBufferBufferData(bufferNames);
        CVeskUtility::StringToPlexa(std::move(bufferNames), names);
    });
}

}  // extern "C"
