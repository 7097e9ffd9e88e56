// The two ways into the browser view: --serve (the capture served over
// HTTP on the loopback interface until SIGINT or SIGTERM) and --html (one
// self-contained page on standard output).
#pragma once

#include "replay/Options.h"
#include "replay/PluginLoader.h"

namespace vesk::replay {

// Runs options.mode (Serve or Html) on options.input with the loaded
// plug-in and the host set up; returns the program's exit status: 0, 1
// when some lines were no calls or some calls could not be rendered
// (--html), 2 when the view could not be made.
int RunBrowserView(const Options& options, const PluginEntryPoints& entryPoints);

}  // namespace vesk::replay
