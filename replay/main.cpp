// vesk-replay: renders captured VISA calls through the VISA plug-in, as the
// host shows them. Parses the options, loads the plug-in, sets the host up,
// replays the capture and reports.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "replay/BrowserView.h"
#include "replay/ExportRenderer.h"
#include "replay/HostSetup.h"
#include "replay/ListRenderer.h"
#include "replay/Options.h"
#include "replay/PagesRenderer.h"
#include "replay/PluginLoader.h"
#include "replay/Replay.h"
#include "replay/StatsRenderer.h"
#include "replay/XmlRenderer.h"

namespace {

using namespace vesk::replay;

constexpr int kExitRendered = 0;
constexpr int kExitSkipped = 1;
constexpr int kExitFailure = 2;

constexpr char kProgram[] = "vesk-replay";

int fail(const std::string& message) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, message.c_str());
    return kExitFailure;
}

std::unique_ptr<Renderer> makeRenderer(const Options& options, const PluginEntryPoints& entry) {
    switch (options.mode) {
        case eMode::List: return std::make_unique<ListRenderer>(options.timing);
        case eMode::Export:
            return std::make_unique<ExportRenderer>(
                static_cast<IKoVeskCall::eCallExportUse>(options.exportUse));
        case eMode::Xml: return std::make_unique<XmlRenderer>();
        case eMode::Pages: return std::make_unique<PagesRenderer>(entry);
        case eMode::Stats: return std::make_unique<StatsRenderer>(options.statsCsv);
        case eMode::Serve:
        case eMode::Html: break;  // RunBrowserView
    }
    return nullptr;
}

int run(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc - 1, argv + 1, options, error)) {
        std::fprintf(stderr, "%s: error: %s\n%s", kProgram, error.c_str(), UsageText());
        return kExitFailure;
    }
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return kExitRendered;
    }
    if (options.version) {
        std::printf("%s %s\n", kProgram, KOVESK_VERSION);
        return kExitRendered;
    }

    PluginLoader plugin;
    const std::string pluginPath =
        options.pluginPath.empty() ? PluginLoader::DefaultPath() : options.pluginPath;
    if (!plugin.Load(pluginPath, error)) return fail(error);

    if (options.mode == eMode::Serve || options.mode == eMode::Html) {
        SetUpHost(options.summary);
        return RunBrowserView(options, plugin.EntryPoints());
    }

    const bool fromStdin = options.input == "-";
    std::FILE* input = fromStdin ? stdin : std::fopen(options.input.c_str(), "rb");
    if (!input) return fail("cannot open " + options.input + ": " + std::strerror(errno));

    SetUpHost(options.summary);
    int status = kExitRendered;
    {
        OutputBuffer out(stdout);
        std::unique_ptr<Renderer> renderer = makeRenderer(options, plugin.EntryPoints());
        Replay replay(plugin.EntryPoints(), *renderer, out, stderr);
        tReplaySettings settings;
        settings.onlyCall = options.pagesCall;
        settings.filter = options.filter;
        settings.maxLineBytes = options.maxLineBytes;
        const ReplayResult result = replay.Run(input, options.input, settings);
        if (result.skipped > 0) status = kExitSkipped;
        // A line that could not be held ends the reading: the calls before it
        // are rendered, unless there were none.
        if (result.stopped) status = result.calls == 0 ? kExitFailure : kExitSkipped;
        if (options.pagesCall != 0 && result.calls < options.pagesCall && result.endReached) {
            std::fprintf(stderr, "%s: error: no call %llu (the capture has %llu calls)\n",
                         options.input.c_str(), static_cast<unsigned long long>(options.pagesCall),
                         static_cast<unsigned long long>(result.calls));
            status = kExitSkipped;
        }
        if (result.readFailed) status = fail("cannot read " + options.input);
        if (!out.Flush()) {
            status = fail(std::string("cannot write the output: ") + std::strerror(out.FailureErrno()));
        }
    }
    if (!fromStdin) std::fclose(input);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // As a host does: the narrow character set and time formats follow the
    // environment.
    std::setlocale(LC_ALL, "");
    // Whatever escapes the replay loop (it reports what it can per call)
    // ends the program with a diagnostic, never with an abort; the output
    // rendered so far was flushed as the buffer went out of scope.
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    } catch (const std::exception& failure) {
        return fail(failure.what());
    } catch (...) {
        return fail("an unknown exception");
    }
}
