// vesk-replay --serve: the browser view of a capture over HTTP, on the
// loopback interface only.
//
// The server answers GET requests for the page's files and for the JSON
// of replay/web/API.md: the capture's info, rows of a filtered call list,
// a call's details and pages of dump lines. Rows and details are rendered
// through the plug-in when they are asked for, in parallel where the
// plug-in allows it; filtered views are kept for the latest filters. Every
// request parameter is checked and a bad one refused with 400 and a
// message; requests that name another host are refused (a page of another
// site reaching this one through a name that resolves to 127.0.0.1).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "replay/CallRenderer.h"
#include "replay/TraceInfo.h"

namespace vesk::replay {

class CTraceServer {
public:
    CTraceServer(CTraceContext& context, tTraceSettings settings);
    ~CTraceServer();
    CTraceServer(const CTraceServer&) = delete;
    CTraceServer& operator=(const CTraceServer&) = delete;

    // Listens on 127.0.0.1:`port` (0: a port the kernel picks). False, with
    // `error` set, when it cannot.
    bool Bind(uint16_t port, std::string& error);
    // The port listened on, after Bind.
    uint16_t Port() const { return m_port; }
    // Answers requests until Stop; false when serving failed.
    bool Run();
    // Makes Run return once the requests being answered are done; any
    // thread. Called before Run has started, it waits for Run to start
    // (or to fail), so that no stop is lost; Run must be called.
    void Stop();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
    uint16_t m_port = 0;
    std::atomic<bool> m_runEnded{false};
};

}  // namespace vesk::replay
