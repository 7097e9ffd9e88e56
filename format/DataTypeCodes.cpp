// Compile-time checks of the data type table: every row's element width is
// one its preview and dump layout can read, and the codes the formatter acts
// on by name have the kinds it expects of them. The renderers rely on the
// widths to stay within the captured bytes and the 128-byte dump line, so a
// row that breaks them must not build.
#include "format/DataTypeCodes.h"

namespace nKoVeskLog210 {
namespace {

constexpr bool previewWidthFits(const tDataTypeRow& row) {
    switch (row.preview) {
    case eArrayPreview::Integers:
        return row.elementWidth == 1 || row.elementWidth == 2 || row.elementWidth == 4;
    case eArrayPreview::Integer64:
        return row.elementWidth == 8;
    case eArrayPreview::Reals:
        return row.elementWidth == 4 || row.elementWidth == 8;
    default:
        return true;
    }
}

constexpr bool dumpWidthFits(const tDataTypeRow& row) {
    switch (row.dump) {
    case eDumpLayout::Integers:
        return row.elementWidth == 1 || row.elementWidth == 2 || row.elementWidth == 4 ||
               row.elementWidth == 8;
    case eDumpLayout::Reals:
        return row.elementWidth == 4 || row.elementWidth == 8;
    case eDumpLayout::Booleans:
        return row.elementWidth == 0;
    default:
        return true;
    }
}

constexpr bool everyRowFits() {
    for (int code = 0; code <= kLastDataTypeCode; ++code) {
        if (!previewWidthFits(dataTypeRow(code)) || !dumpWidthFits(dataTypeRow(code))) {
            return false;
        }
    }
    return true;
}

static_assert(everyRowFits(), "an element width its preview or dump layout cannot read");

static_assert(scalarKindOf(kCodeStatus) == eScalarKind::Status);
static_assert(scalarKindOf(kCodeEventType) == eScalarKind::EventType);
static_assert(scalarKindOf(kCodeAttribute) == eScalarKind::Attribute);
static_assert(scalarKindOf(kCodeVisaOnlyAttribute) == eScalarKind::VisaOnlyAttribute);
static_assert(scalarKindOf(kCodeHostNamedValue) == eScalarKind::HostNamedValue);
static_assert(scalarKindOf(kCodeUtf8Text) == eScalarKind::Utf8Text);
static_assert(dataTypeRow(kCodeBooleanArray).dump == eDumpLayout::Booleans);
static_assert(scalarKindOf(-1) == eScalarKind::None &&
              scalarKindOf(kLastDataTypeCode + 1) == eScalarKind::None);

}  // namespace
}  // namespace nKoVeskLog210
