// The host's built-in descriptions of VISA completion, warning and error
// codes (internal to the host library; the "VISA" status prefix).
#pragma once

#include <cstdint>

// The description of `code`; null when the table has none. The text is
// constant and lives as long as the library.
const char* FindVisaStatusDescription(int32_t code);
