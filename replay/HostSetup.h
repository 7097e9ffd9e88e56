// The host layer as vesk-replay sets it up before any call is rendered.
#pragma once

namespace vesk::replay {

// The per-API setting "StatusPrefix" of the VISA API (type 3): the prefix
// under which the host library keeps the VISA status descriptions.
inline constexpr char kVisaStatusPrefix[] = "VISA";

// No API type has a value-name callback or a help file; "StatusPrefix" is
// set for the VISA API type only; the export-summary setting is `summary`.
void SetUpHost(bool summary);

}  // namespace vesk::replay
