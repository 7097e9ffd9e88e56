// The C entry points of the three VISA property pages.
//
// Each finds the record whose pages are open, asks it for the page data
// through its virtual table and copies the texts into the runtime's
// handles. Each is a firewall: nothing is written when there is no VISA
// record on display, and no exception leaves (a record that throws leaves
// the outputs as they were).
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

// Runs `body` with the current VISA record, if there is one; swallows every
// exception, since the caller is the runtime's C interface.
template <class Body>
void withCurrentVisaCall(Body body) noexcept {
    try {
        if (CVISACall* call = currentVisaCall()) body(*call);
    } catch (...) {
    }
}

}  // namespace

extern "C" {

void VeskVV_Input_GetParamData(HStrArray** names, HStrArray** values) {
    withCurrentVisaCall([&](const CVISACall& call) {
        std::vector<StringBase> rowNames;
        std::vector<StringBase> rowValues;
        call.SetPageInputParamData(rowNames, rowValues, eFormatFull);
        CVeskUtility::StringToPlexa(rowNames, names);
        CVeskUtility::StringToPlexa(rowValues, values);
    });
}

void VeskVV_Input_GetButtonData(int32_t* attributeButton, int32_t* eventButton) {
    withCurrentVisaCall([&](const CVISACall& call) {
        CVISACall::eButtonState attribute = CVISACall::eButtonNone;
        CVISACall::eButtonState event = CVISACall::eButtonNone;
        call.SetPageInputButtonData(attribute, event);
        if (attributeButton) *attributeButton = attribute;
        if (eventButton) *eventButton = event;
    });
}

void VeskVV_Input_OnHelpEvent() {
    withCurrentVisaCall([](const CVISACall& call) { call.OpenEventHelp(); });
}

void VeskVV_Input_OnHelpAttr() {
    withCurrentVisaCall([](const CVISACall& call) { call.OpenAttributeHelp(); });
}

void VeskVV_Output_GetParamData(HStrArray** names, HStrArray** values) {
    withCurrentVisaCall([&](const CVISACall& call) {
        std::vector<StringBase> rowNames;
        std::vector<StringBase> rowValues;
        call.SetPageOutputParamData(rowNames, rowValues, eFormatFull);
        CVeskUtility::StringToPlexa(rowNames, names);
        CVeskUtility::StringToPlexa(rowValues, values);
    });
}

void VeskVV_Output_GetRetvalData(HStr** value, HStr** description) {
    withCurrentVisaCall([&](const CVISACall& call) {
        StringBase returnValue;
        StringBase text;
        call.SetPageOutputRetvalData(returnValue, text);
        CVeskUtility::StringToPlexa(returnValue, value);
        CVeskUtility::StringToPlexa(text, description);
    });
}

void VeskVV_Buffer_GetParamData(int32_t bufferIndex, HStr** heading, HStrArray** lines) {
    withCurrentVisaCall([&](const CVISACall& call) {
        StringBase dumpHeading;
        std::vector<StringBase> dumpLines;
        call.SetPageBufferParamData(bufferIndex, dumpHeading, dumpLines);
        CVeskUtility::StringToPlexa(dumpHeading, heading);
        CVeskUtility::StringToPlexa(dumpLines, lines);
    });
}

void VeskVV_Buffer_GetBufferData(HStrArray** names) {
    withCurrentVisaCall([&](const CVISACall& call) {
        std::vector<StringBase> bufferNames;
        call.SetPageBufferBufferData(bufferNames);
        CVeskUtility::StringToPlexa(bufferNames, names);
    });
}

}  // extern "C"
