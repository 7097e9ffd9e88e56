// The plug-in's exported C functions: the record factory and the entry
// points through which the host's property pages pull their data.
//
// Every page entry point is a firewall: no exception leaves it. The page entry
// points find the record whose pages are open (the host's current property
// call); when there is none, or it is not a VISA record, or the record
// throws, they return without touching their arguments.
#pragma once

#include <cstdint>

#include "format/FormatTypes.h"
#include "host/IKoVeskCall.h"
#include "host/Plexa.h"

extern "C" {

// A new, empty VISA call record, owned by the caller (deleted through the
// virtual destructor). The one entry point that lets an exception through:
// when the record cannot be made, std::bad_alloc reaches the host.
KOVV_API IKoVeskCall* VeskNewCall();

// Input page: the parameter rows (names, values).
KOVV_API void VeskVV_Input_GetParamData(HStrArray** names, HStrArray** values);
// Input page: the attribute and event help-button states (eButtonState).
KOVV_API void VeskVV_Input_GetButtonData(int32_t* attributeButton, int32_t* eventButton);
// Input page: help on the call's event type / attribute.
KOVV_API void VeskVV_Input_OnHelpEvent();
KOVV_API void VeskVV_Input_OnHelpAttr();
// Output page: the parameter rows, then the return value and its description.
KOVV_API void VeskVV_Output_GetParamData(HStrArray** names, HStrArray** values);
KOVV_API void VeskVV_Output_GetRetvalData(HStr** value, HStr** description);
// Buffer page: the dump of buffer `bufferIndex` (heading, lines) and the
// names of all buffers.
KOVV_API void VeskVV_Buffer_GetParamData(int32_t bufferIndex, HStr** heading,
                                         HStrArray** lines);
KOVV_API void VeskVV_Buffer_GetBufferData(HStrArray** names);
}
