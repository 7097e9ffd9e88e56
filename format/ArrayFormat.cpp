// Buffer previews for the call description: the first element or two of an
// array in braces, a text through the string renderers, or an address.
//
// A preview reads at most two elements (twelve booleans) and never more
// bytes than were captured: a capture that holds fewer whole elements than a
// form needs shows only the whole elements it holds ("{}" for none, and
// "{x,...}" for one element of a capture longer than one element).
#include <cstdint>
#include <cstring>

#include "format/BoundedText.h"
#include "format/CVisaGenericFormat.h"
#include "format/DataTypeCodes.h"
#include "format/NumberText.h"
#include "format/RealFieldText.h"

namespace nKoVeskLog210 {

namespace {

// At most this many booleans are shown before ",...".
constexpr int kMaxBooleansShown = 12;
// Real elements are shown as short as "%.6G" prints them, unpadded.
constexpr int kRealPreviewWidth = 1;

// Which elements a two-element preview shows: `shown` whole elements, then
// ",..." when the capture holds more than those.
struct tPreviewShape {
    int shown;
    bool more;
};

tPreviewShape twoElementShape(int size, int width) {
    const int whole = size / width;
    if (whole >= 2) return {2, size != 2 * width};
    return {whole, size != whole * width};
}

// The captured bytes of the parameter, asked for exactly as captured; null
// when the logger has no data for them.
const unsigned char* capturedData(const IKoVeskLogger* logger, int index, int elementSize,
                                  int size) {
    const void* data = nullptr;
    logger->GetParamData(index, &data, elementSize, size);
    return static_cast<const unsigned char*>(data);
}

template <class T>
T elementAt(const unsigned char* data, int position) {
    T value;
    std::memcpy(&value, data + position * static_cast<int>(sizeof(T)), sizeof value);
    return value;
}

// "0x%08X", "0x%04hX" or "0x%02hhX" by the element width.
void appendHexElement(BoundedText& out, const unsigned char* data, int position, int width) {
    uint64_t value;
    switch (width) {
    case 4: value = elementAt<uint32_t>(data, position); break;
    case 2: value = elementAt<uint16_t>(data, position); break;
    default: value = elementAt<uint8_t>(data, position); break;
    }
    const CShortText hex = CShortText().add("0x").hex(value, 2 * width);
    out.append(hex.data(), hex.size());
}

void appendRealElement(BoundedText& out, const unsigned char* data, int position, int width) {
    if (width == 4)
        appendRealField(out,
                        composeRealField("%.6G", kRealPreviewWidth, elementAt<float>(data, position)));
    else
        appendRealField(out, composeRealField("%.6G", kRealPreviewWidth,
                                              elementAt<double>(data, position)));
}

// "{a}", "{a,b}", "{a,b,...}" and the short-capture forms, for integers of
// 1, 2 or 4 bytes and reals of 4 or 8 (`width`). Byte arrays are read as
// text data, the others as elements of their width.
int formatTwoElementPreview(const IKoVeskLogger* logger, int index, int size,
                            eArrayPreview preview, int width, char* out) {
    const unsigned char* data;
    if (preview == eArrayPreview::Integers && width == 1) {
        const char* text = nullptr;
        logger->GetParamBuffer(index, &text, size);
        data = reinterpret_cast<const unsigned char*>(text);
    } else {
        data = capturedData(logger, index, width, size);
    }
    const tPreviewShape shape = twoElementShape(size, width);
    if (shape.shown > 0 && !data) return 0;

    BoundedText text(out, kArgumentTextSize);
    text.append('{');
    for (int i = 0; i < shape.shown; ++i) {
        if (i > 0) text.append(',');
        if (preview == eArrayPreview::Integers)
            appendHexElement(text, data, i, width);
        else
            appendRealElement(text, data, i, width);
    }
    if (shape.more && shape.shown > 0) text.append(",...");
    text.append('}');
    return text.result();
}

// "{0x%016llX}" for exactly one element, "{0x%016llX,...}" for more.
int formatInteger64Preview(const IKoVeskLogger* logger, int index, int size, char* out) {
    const unsigned char* data = capturedData(logger, index, 8, size);
    BoundedText text(out, kArgumentTextSize);
    if (size < 8) {
        text.append("{}");
    } else {
        if (!data) return 0;
        // "{0x%016llX}" or "{0x%016llX,...}"
        CShortText preview;
        preview.add("{0x").hex(elementAt<uint64_t>(data, 0), 16);
        if (size == 8)
            preview.add('}');
        else
            preview.add(",...}");
        text.append(preview.data(), preview.size());
    }
    return text.result();
}

// T and F letters of the first twelve elements; ",...}" when there are more.
int formatBooleanPreview(const IKoVeskLogger* logger, int index, int size, char* out) {
    int elementSize = 0;
    logger->GetParamElementSize(index, &elementSize);
    if (elementSize != 1 && elementSize != 2) return 0;
    const int elements = size / elementSize;
    const int shown = elements < kMaxBooleansShown ? elements : kMaxBooleansShown;
    const unsigned char* data = capturedData(logger, index, elementSize, size);
    if (shown > 0 && !data) return 0;

    BoundedText text(out, kArgumentTextSize);
    text.append('{');
    for (int i = 0; i < shown; ++i) {
        if (i > 0) text.append(',');
        const bool isTrue =
            elementSize == 1 ? data[i] != 0 : elementAt<uint16_t>(data, i) != 0;
        text.append(isTrue ? 'T' : 'F');
    }
    text.append(shown == elements ? "}" : ",...}");
    return text.result();
}

// The address alone, or NULL centred in the width the number would take.
int formatAddressPreview(const IKoVeskLogger* logger, int index, int size, char* out) {
    if (size != 4 && size != 8) return 0;
    const unsigned char* data = capturedData(logger, index, size, size);
    if (!data) return 0;
    BoundedText text(out, kArgumentTextSize);
    if (size == 4) {
        // "0x%08X"
        const uint32_t address = elementAt<uint32_t>(data, 0);
        if (address != 0) {
            const CShortText hex = CShortText().add("0x").hex(address, 8);
            text.append(hex.data(), hex.size());
        } else {
            text.append("   NULL   ");
        }
    } else {
        // "0x%016llX"
        const uint64_t address = elementAt<uint64_t>(data, 0);
        if (address != 0) {
            const CShortText hex = CShortText().add("0x").hex(address, 16);
            text.append(hex.data(), hex.size());
        } else {
            text.append("       NULL       ");
        }
    }
    return text.result();
}

}  // namespace

int CVisaGenericFormat::FormatCallArgArray(const IKoVeskLogger* logger, int index, char* out,
                                           eFormatSpecifier format,
                                           const IKoVeskCall*) const {
    if (!logger || !out) return 0;
    int type = 0;
    int size = 0;
    logger->GetParamType(index, &type);
    logger->GetParamSize(index, &size);
    // A negative captured size is no capture anyone could show.
    if (size < 0) return 0;

    const tDataTypeRow row = dataTypeRow(type);
    switch (row.preview) {
    case eArrayPreview::None:
        return 0;
    case eArrayPreview::Integers:
    case eArrayPreview::Reals:
        return formatTwoElementPreview(logger, index, size, row.preview, row.elementWidth, out);
    case eArrayPreview::Integer64:
        return formatInteger64Preview(logger, index, size, out);
    case eArrayPreview::Booleans:
        return formatBooleanPreview(logger, index, size, out);
    case eArrayPreview::Address:
        return formatAddressPreview(logger, index, size, out);
    case eArrayPreview::NarrowText:
    case eArrayPreview::Utf8Text: {
        const char* data = nullptr;
        bool partial = false;
        logger->GetParamBuffer(index, &data, size);
        logger->GetParamTruncated(index, &partial);
        if (size > 0 && !data) return 0;
        if (row.preview == eArrayPreview::NarrowText)
            return FormatMbcsString(data, size, format, partial, out);
        return FormatUtf8String(reinterpret_cast<const unsigned char*>(data), size, format,
                                partial, out);
    }
    }
    return 0;
}

}  // namespace nKoVeskLog210
