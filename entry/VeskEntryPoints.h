// The plug-in's exported C functions: the record factory and the entry
// points through which the host's property pages pull their data.
//
// Why the page entry points take no record: the property pages are files of
// the host's graphical runtime, which call the plug-in by name and pass only
// their own data handles. A page knows no call record; the host knows which
// call's pages are open. So each entry point asks the host for that call
// (VeskClasses_ListCtrl_GetCurrentPropertyCall) and shows it only when it is
// one of this plug-in's records (a dynamic_cast to CVISACall; the pages of
// another API family's call are left alone).
//
// Threads: a page entry point may be called on any host thread (the
// runtime's pages call it on the thread that shows them), but the record it
// finds is then used by that thread: the host must not render, change or
// destroy that record on another thread, nor open another call's pages,
// until the entry point returns. The entry points themselves keep no state.
//
// Every page entry point is a firewall: no exception leaves it. When there
// is no current call, or it is not a VISA record, or the record throws,
// it returns without touching its arguments. Handles are the runtime's and
// stay the caller's; they are filled only through CVeskUtility::StringToPlexa.
#pragma once

#include <cstdint>

#include "host/IKoVeskCall.h"
#include "host/Plexa.h"
#include "ko/zel/Export.h"

extern "C" {

// A new, empty VISA call record, owned by the caller (deleted through the
// virtual destructor). Any host thread may make records. The one entry
// point that lets an exception through: when the record cannot be made,
// std::bad_alloc reaches the host.
KOVESK_API IKoVeskCall* VeskNewCall();

// Input page: the parameter rows, names into `names` and full values into
// `values` (SetPageInputParamData).
KOVESK_API void VeskVV_Input_GetParamData(HStrArray** names, HStrArray** values);
// Input page: the attribute and event help-button states (eButtonState
// values), written through the two pointers after both are known; a null
// pointer is skipped.
KOVESK_API void VeskVV_Input_GetButtonData(int32_t* attributeButton, int32_t* eventButton);
// Input page: help on the call's event type / attribute (OpenEventHelp,
// OpenAttributeHelp): the host's help at the name, or its message 43000.
KOVESK_API void VeskVV_Input_OnHelpEvent();
KOVESK_API void VeskVV_Input_OnHelpAttr();
// Output page: the rows of returned values (SetPageOutputParamData).
KOVESK_API void VeskVV_Output_GetParamData(HStrArray** names, HStrArray** values);
// Output page: the full status text and its description
// (SetPageOutputRetvalData).
KOVESK_API void VeskVV_Output_GetRetvalData(HStr** value, HStr** description);
// Buffer page: the dump of the buffer at position `bufferIndex` of the
// names VeskVV_Buffer_GetBufferData gave, heading and lines
// (SetPageBufferParamData).
KOVESK_API void VeskVV_Buffer_GetParamData(int32_t bufferIndex, HStr** heading,
                                         HStrArray** lines);
// Buffer page: the names of all buffers, for its choice list
// (SetPageBufferBufferData).
KOVESK_API void VeskVV_Buffer_GetBufferData(HStrArray** names);
}
