// vesk-replay --html: the browser view as one self-contained file, for
// attaching to a bug report. The page, its style sheet and scripts are
// inlined, and every call is rendered into it as JSON (the info object,
// then each call with its summary, property pages, text export and XML
// element), so that the file opens from disk with no server and no network
// access. A capture too large for one file is refused, pointing to --serve.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "replay/CallRenderer.h"
#include "replay/TraceInfo.h"

namespace vesk::replay {

// The most calls, and the most bytes of rendered data, one page holds.
inline constexpr uint64_t kMaxHtmlCalls = 100000;
inline constexpr size_t kMaxHtmlDataBytes = size_t{64} << 20;
// Lines of each dump, and of each text export, that the page holds.
inline constexpr uint32_t kHtmlDumpLines = 1000;

struct tHtmlLimits {
    uint64_t calls = kMaxHtmlCalls;
    size_t dataBytes = kMaxHtmlDataBytes;
};

// Renders every call of the context's index, which must be built to its
// end (or past the limit of calls), into `page`; `unrendered` counts the calls
// that are shown as their error. False, with `error` set, when the capture
// holds more than the page can.
bool MakeHtmlPage(CTraceContext& context, const tTraceSettings& settings, std::string& page,
                  uint64_t& unrendered, std::string& error, const tHtmlLimits& limits = {});

// The page of the embedded assets with its style sheet and scripts inlined
// and `data` (JSON that holds no "<") in a <script type="application/json"
// id="trace-data"> element before the scripts. False, with `error` set,
// when the assets are not shaped as expected.
bool AssembleHtmlPage(std::string_view data, std::string& page, std::string& error);

}  // namespace vesk::replay
