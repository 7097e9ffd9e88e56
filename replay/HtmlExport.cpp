#include "replay/HtmlExport.h"

#include <cctype>

#include "replay/WebAssets.h"

namespace vesk::replay {

namespace {

constexpr char kPage[] = "index.html";
constexpr char kStyleLinkStart[] = "<link rel=\"stylesheet\" href=\"";
constexpr char kScriptStart[] = "<script src=\"";
constexpr char kScriptEnd[] = "\"></script>";
// A file opened from disk loads nothing: no script, style, image, font or
// connection but its own inline ones.
constexpr char kContentPolicy[] =
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
    "script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:; "
    "base-uri 'none'; form-action 'none'\">";

bool containsFolded(std::string_view text, std::string_view lowerNeedle) {
    for (size_t i = 0; i + lowerNeedle.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < lowerNeedle.size() &&
               std::tolower(static_cast<unsigned char>(text[i + k])) == lowerNeedle[k]) {
            ++k;
        }
        if (k == lowerNeedle.size()) return true;
    }
    return false;
}

// Replaces the element at `start` that refers to a file (its name between
// `start + prefix` and the next quote, the element ending with `end`) by
// the file's text inside `open` and `close`.
bool inlineAsset(std::string& page, size_t start, size_t prefix, std::string_view end,
                 std::string_view open, std::string_view close, std::string& error) {
    const size_t nameStart = start + prefix;
    const size_t quote = page.find('"', nameStart);
    const size_t elementEnd = page.find(end, quote);
    if (quote == std::string::npos || elementEnd == std::string::npos) {
        error = "index.html: an unterminated reference to a file";
        return false;
    }
    const std::string name = page.substr(nameStart, quote - nameStart);
    const tWebAsset* asset = FindWebAsset(name);
    if (!asset) {
        error = "index.html refers to " + name + ", which is not embedded";
        return false;
    }
    // The text must not end its element early.
    std::string closing(close.substr(0, close.size() - 1));
    for (char& c : closing) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (containsFolded(asset->Text(), closing)) {
        error = name + " holds \"" + closing + "\" and cannot be inlined";
        return false;
    }
    std::string inlined(open);
    inlined += asset->Text();
    inlined += close;
    page.replace(start, elementEnd + end.size() - start, inlined);
    return true;
}

std::string sizeText(size_t bytes) {
    constexpr size_t kMebibyte = size_t{1} << 20;
    return bytes % kMebibyte == 0 ? std::to_string(bytes / kMebibyte) + " MiB" : std::to_string(bytes) + " bytes";
}

}  // namespace

bool AssembleHtmlPage(std::string_view data, std::string& page, std::string& error) {
    const tWebAsset* html = FindWebAsset(kPage);
    if (!html) {
        error = "index.html is not embedded";
        return false;
    }
    page.assign(html->Text());
    const size_t title = page.find("</title>");
    if (title == std::string::npos) {
        error = "index.html has no title";
        return false;
    }
    page.insert(title + 8, std::string("\n") + kContentPolicy);
    for (size_t at; (at = page.find(kStyleLinkStart)) != std::string::npos;) {
        if (!inlineAsset(page, at, sizeof kStyleLinkStart - 1, "\">", "<style>\n", "</style>", error)) {
            return false;
        }
    }
    const size_t firstScript = page.find(kScriptStart);
    if (firstScript == std::string::npos) {
        error = "index.html has no script";
        return false;
    }
    std::string dataElement = "<script type=\"application/json\" id=\"trace-data\">";
    dataElement += data;
    dataElement += "</script>\n";
    page.insert(firstScript, dataElement);
    for (size_t at = firstScript + dataElement.size(); (at = page.find(kScriptStart, at)) != std::string::npos;) {
        if (!inlineAsset(page, at, sizeof kScriptStart - 1, kScriptEnd, "<script>\n", "</script>", error)) {
            return false;
        }
    }
    return true;
}

bool MakeHtmlPage(CTraceContext& context, const tTraceSettings& settings, std::string& page,
                  uint64_t& unrendered, std::string& error, const tHtmlLimits& limits) {
    unrendered = 0;
    const CCaptureIndex& index = context.Index();
    const uint64_t calls = index.Calls();
    if (calls > limits.calls) {
        error = "the capture has more than " + std::to_string(limits.calls) + " calls, more than --html writes " +
                "into one file: use --serve, which shows captures of any size";
        return false;
    }
    std::string data;
    CUtf8Converter converter;
    CJsonWriter json(data, &converter);
    json.BeginObject();
    json.Key("info");
    WriteTraceInfo(json, index, settings);
    json.Key("calls");
    json.BeginArray();
    CCallRenderer renderer(context);
    tCallParts parts;
    parts.pages = parts.text = parts.xml = true;
    for (uint64_t number = 1; number <= calls; ++number) {
        renderer.Load(number);
        if (!renderer.WriteCall(json, parts, settings.embeddedDumpLines)) ++unrendered;
        if (json.Size() > limits.dataBytes) {
            error = "the rendered calls pass " + sizeText(limits.dataBytes) + " at call " +
                    std::to_string(number) + " of " + std::to_string(calls) +
                    ", more than --html writes into one file: use --serve, which renders calls as they are shown";
            return false;
        }
    }
    json.EndArray();
    json.EndObject();
    return AssembleHtmlPage(data, page, error);
}

}  // namespace vesk::replay
