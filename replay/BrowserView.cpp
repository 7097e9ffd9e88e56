#include "replay/BrowserView.h"

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "replay/CaptureIndex.h"
#include "replay/HtmlExport.h"
#include "replay/TraceServer.h"

namespace vesk::replay {

namespace {

constexpr int kExitShown = 0;
constexpr int kExitSomeSkipped = 1;
constexpr int kExitFailure = 2;

int fail(const std::string& message) {
    std::fprintf(stderr, "vesk-replay: error: %s\n", message.c_str());
    return kExitFailure;
}

tTraceSettings settingsOf(const Options& options) {
    tTraceSettings settings;
    settings.fileName = options.input;
    settings.initialFilter = options.filter;
    return settings;
}

// The export use the view's text export shows: the host's default.
constexpr auto kExportUse = static_cast<IKoVeskCall::eCallExportUse>(0);

int serve(const Options& options, const PluginEntryPoints& entryPoints) {
    // SIGINT and SIGTERM are taken by one thread that stops the server;
    // every other thread, started from here on, has them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A browser that goes away in the middle of an answer is no reason to end.
    signal(SIGPIPE, SIG_IGN);
    CCaptureIndex index(options.maxLineBytes);
    std::string error;
    if (!index.Open(options.input, error)) return fail(error);
    CTraceContext context(entryPoints, index, kExportUse);
    CTraceServer server(context, settingsOf(options));
    if (!server.Bind(options.port, error)) return fail(error);
    index.StartInBackground();
    std::printf("http://127.0.0.1:%u/\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);
    std::fprintf(stderr, "vesk-replay: serving %s; interrupt (Ctrl-C) to stop\n", options.input.c_str());

    std::thread stopper([&] {
        int signalNumber = 0;
        sigwait(&stopSignals, &signalNumber);
        server.Stop();
    });
    const bool served = server.Run();
    // Wakes the stopper when no signal came (serving failed); harmless
    // when one did.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    index.Stop();
    return served ? kExitShown : fail("serving on 127.0.0.1 failed");
}

int writeHtml(const Options& options, const PluginEntryPoints& entryPoints) {
    CCaptureIndex index(options.maxLineBytes);
    std::string error;
    if (!index.Open(options.input, error)) return fail(error);
    index.Build(kMaxHtmlCalls);
    const CCaptureIndex::tProgress progress = index.Progress();
    CTraceContext context(entryPoints, index, kExportUse);
    tTraceSettings settings = settingsOf(options);
    settings.embedded = true;
    settings.embeddedDumpLines = kHtmlDumpLines;
    std::string page;
    uint64_t unrendered = 0;
    if (index.Calls() <= kMaxHtmlCalls && !progress.failure.empty()) return fail(progress.failure);
    if (!MakeHtmlPage(context, settings, page, unrendered, error)) return fail(error);
    // The lines that are no calls, as every mode reports them.
    for (const CCaptureIndex::tDiagnostic& diagnostic : index.Diagnostics()) {
        std::fprintf(stderr, "%s:%llu: error: %s\n", options.input.c_str(),
                     static_cast<unsigned long long>(diagnostic.line), diagnostic.message.c_str());
    }
    if (progress.diagnostics > CCaptureIndex::kMaxDiagnostics) {
        std::fprintf(stderr, "%s: error: %llu more lines that are no calls\n", options.input.c_str(),
                     static_cast<unsigned long long>(progress.diagnostics - CCaptureIndex::kMaxDiagnostics));
    }
    if (std::fwrite(page.data(), 1, page.size(), stdout) != page.size() || std::fflush(stdout) != 0) {
        return fail(std::string("cannot write the output: ") + std::strerror(errno));
    }
    return progress.diagnostics > 0 || unrendered > 0 ? kExitSomeSkipped : kExitShown;
}

}  // namespace

int RunBrowserView(const Options& options, const PluginEntryPoints& entryPoints) {
    return options.mode == eMode::Serve ? serve(options, entryPoints) : writeHtml(options, entryPoints);
}

}  // namespace vesk::replay
