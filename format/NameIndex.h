// Finding a value's row in a number-to-name table.
//
// Internal to the formatter; not part of the plug-in's interface.
#pragma once

#include <cstdint>

#include "format/CVisaGenericFormat.h"

namespace nKoVeskLog210 {

// The first row of `table` (which ends with a null name) whose value is
// `value`; null when there is none. The built-in tables are searched through
// an index sorted by value and row, built once on first use; any other table
// is scanned in order. Both give the same row.
const CVisaGenericFormat::tNumNameMapInfo* findNameRow(
    const CVisaGenericFormat::tNumNameMapInfo* table, uint32_t value);

}  // namespace nKoVeskLog210
