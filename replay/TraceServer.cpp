#include "replay/TraceServer.h"

#include <httplib.h>

#include <chrono>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "replay/CallViews.h"
#include "replay/JsonWriter.h"
#include "replay/TraceQuery.h"
#include "replay/WebAssets.h"

namespace vesk::replay {

namespace {

constexpr char kJson[] = "application/json; charset=utf-8";
constexpr char kLoopback[] = "127.0.0.1";
// GET requests carry no body worth reading.
constexpr size_t kMaxRequestBody = 4096;

// The page may load its own files and ask its own server, nothing else.
constexpr char kContentPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
    "img-src 'self' data:; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// Renderers kept between requests, each with its parser and allocations;
// one per request at a time.
class RendererPool {
public:
    explicit RendererPool(CTraceContext& context) : m_context(context) {}

    class Lease {
    public:
        Lease(RendererPool& pool, std::unique_ptr<CCallRenderer> renderer)
            : m_pool(pool), m_renderer(std::move(renderer)) {}
        ~Lease() { m_pool.giveBack(std::move(m_renderer)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        CCallRenderer& operator*() const { return *m_renderer; }
        CCallRenderer* operator->() const { return m_renderer.get(); }

    private:
        RendererPool& m_pool;
        std::unique_ptr<CCallRenderer> m_renderer;
    };

    Lease Acquire() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_free.empty()) {
                std::unique_ptr<CCallRenderer> renderer = std::move(m_free.back());
                m_free.pop_back();
                return Lease(*this, std::move(renderer));
            }
        }
        return Lease(*this, std::make_unique<CCallRenderer>(m_context));
    }

private:
    void giveBack(std::unique_ptr<CCallRenderer> renderer) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_free.push_back(std::move(renderer));
    }

    CTraceContext& m_context;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<CCallRenderer>> m_free;
};

tQuery queryOf(const httplib::Request& request) {
    return tQuery(request.params.begin(), request.params.end());
}

void sendJson(httplib::Response& response, int status, const std::string& body) {
    response.status = status;
    response.set_content(body, kJson);
}

void sendError(httplib::Response& response, int status, const std::string& message) {
    std::string body;
    CJsonWriter json(body, nullptr);
    json.BeginObject();
    json.Member("error", message);
    json.EndObject();
    sendJson(response, status, body);
}

}  // namespace

class CTraceServer::Impl {
public:
    Impl(CTraceContext& context, tTraceSettings settings)
        : m_context(context), m_settings(std::move(settings)), m_renderers(context) {}

    // Before the server binds its socket (options of the socket among them).
    void SetUp();
    // The port bound: the only one requests may name.
    void SetPort(uint16_t port);

    httplib::Server m_server;

private:
    const CCaptureIndex& index() const { return m_context.Index(); }

    httplib::Server::HandlerResponse screen(const httplib::Request& request, httplib::Response& response);
    void sendAsset(const std::string& name, httplib::Response& response);
    void info(const httplib::Request& request, httplib::Response& response);
    void rows(const httplib::Request& request, httplib::Response& response);
    void call(const httplib::Request& request, httplib::Response& response);
    void buffer(const httplib::Request& request, httplib::Response& response);
    // False (after answering 404) when call `number` is not indexed.
    bool checkNumber(uint64_t number, httplib::Response& response);

    CTraceContext& m_context;
    tTraceSettings m_settings;
    CViewCache m_views;
    RendererPool m_renderers;
    std::string m_hostWithPort, m_localhostWithPort;
};

httplib::Server::HandlerResponse CTraceServer::Impl::screen(const httplib::Request& request,
                                                            httplib::Response& response) {
    using eHandled = httplib::Server::HandlerResponse;
    const std::string host = request.get_header_value("Host");
    if (host != m_hostWithPort && host != m_localhostWithPort) {
        sendError(response, 403, "this server answers requests for " + m_hostWithPort + " only");
        return eHandled::Handled;
    }
    if (request.method != "GET" && request.method != "HEAD") {
        response.set_header("Allow", "GET, HEAD");
        sendError(response, 405, "only GET requests are answered");
        return eHandled::Handled;
    }
    return eHandled::Unhandled;
}

void CTraceServer::Impl::sendAsset(const std::string& name, httplib::Response& response) {
    const tWebAsset* asset = FindWebAsset(name);
    if (!asset) return sendError(response, 404, "no such file: " + name);
    response.set_content(reinterpret_cast<const char*>(asset->data), asset->size, asset->contentType);
}

void CTraceServer::Impl::info(const httplib::Request& request, httplib::Response& response) {
    std::string error;
    if (!ParseNoParameters(queryOf(request), error)) return sendError(response, 400, error);
    std::string body;
    CUtf8Converter converter;
    CJsonWriter json(body, &converter);
    WriteTraceInfo(json, index(), m_settings);
    sendJson(response, 200, body);
}

void CTraceServer::Impl::rows(const httplib::Request& request, httplib::Response& response) {
    tRowsRequest asked;
    std::string error;
    if (!ParseRowsRequest(queryOf(request), asked, error)) return sendError(response, 400, error);
    const std::shared_ptr<CCallView> view = m_views.Get(asked.filter);
    const RendererPool::Lease renderer = m_renderers.Acquire();
    const tViewRows rows = view->Rows(index(), *renderer, asked.first, asked.count);
    std::string body;
    CUtf8Converter converter;
    CJsonWriter json(body, &converter);
    json.BeginObject();
    json.Key("first");
    json.Number(asked.first);
    json.Key("total");
    json.Number(rows.total);
    json.Key("examined");
    json.Number(rows.examined);
    json.Key("calls");
    json.Number(index().Calls());
    json.Key("complete");
    json.Bool(rows.complete);
    json.Key("failure");
    json.String(rows.failure);
    json.Key("rows");
    json.BeginArray();
    for (const uint64_t number : rows.numbers) {
        renderer->Load(number);
        renderer->WriteRow(json);
    }
    json.EndArray();
    json.EndObject();
    sendJson(response, 200, body);
}

bool CTraceServer::Impl::checkNumber(uint64_t number, httplib::Response& response) {
    const uint64_t calls = index().Calls();
    if (number <= calls) return true;
    const bool complete = index().Progress().complete;
    sendError(response, 404,
              "no call " + std::to_string(number) + ": the capture has " + std::to_string(calls) + " calls" +
                  (complete ? "" : " so far (indexing goes on)"));
    return false;
}

void CTraceServer::Impl::call(const httplib::Request& request, httplib::Response& response) {
    tCallRequest asked;
    std::string error;
    if (!ParseCallRequest(queryOf(request), asked, error)) return sendError(response, 400, error);
    if (!checkNumber(asked.number, response)) return;
    tCallParts parts;
    parts.pages = asked.part == eCallPart::Pages;
    parts.text = asked.part == eCallPart::Export;
    parts.xml = asked.part == eCallPart::Xml;
    const RendererPool::Lease renderer = m_renderers.Acquire();
    renderer->Load(asked.number);
    std::string body;
    CUtf8Converter converter;
    CJsonWriter json(body, &converter);
    renderer->WriteCall(json, parts, asked.lines);
    sendJson(response, 200, body);
}

void CTraceServer::Impl::buffer(const httplib::Request& request, httplib::Response& response) {
    tBufferRequest asked;
    std::string error;
    if (!ParseBufferRequest(queryOf(request), asked, error)) return sendError(response, 400, error);
    if (!checkNumber(asked.number, response)) return;
    const RendererPool::Lease renderer = m_renderers.Acquire();
    renderer->Load(asked.number);
    std::string body;
    CUtf8Converter converter;
    CJsonWriter json(body, &converter);
    if (!renderer->WriteBuffer(json, asked.buffer, asked.first, asked.count)) {
        return sendError(response, 404, renderer->Error());
    }
    sendJson(response, 200, body);
}

void CTraceServer::Impl::SetPort(uint16_t port) {
    m_hostWithPort = std::string(kLoopback) + ":" + std::to_string(port);
    m_localhostWithPort = "localhost:" + std::to_string(port);
}

void CTraceServer::Impl::SetUp() {
    m_server.set_payload_max_length(kMaxRequestBody);
    // An answer goes out in two writes (head and body): without this, the
    // second waits for the client's delayed acknowledgement of the first.
    m_server.set_tcp_nodelay(true);
    m_server.set_default_headers({{"X-Content-Type-Options", "nosniff"},
                                  {"Referrer-Policy", "no-referrer"},
                                  {"Cache-Control", "no-store"},
                                  {"Content-Security-Policy", kContentPolicy}});
    m_server.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) { return screen(request, response); });
    m_server.Get("/", [this](const httplib::Request&, httplib::Response& response) {
        sendAsset("index.html", response);
    });
    m_server.Get(R"(/([A-Za-z0-9_-]+\.(css|js|html)))",
                 [this](const httplib::Request& request, httplib::Response& response) {
                     sendAsset(request.matches[1], response);
                 });
    m_server.Get("/api/info", [this](const httplib::Request& q, httplib::Response& r) { info(q, r); });
    m_server.Get("/api/rows", [this](const httplib::Request& q, httplib::Response& r) { rows(q, r); });
    m_server.Get("/api/call", [this](const httplib::Request& q, httplib::Response& r) { call(q, r); });
    m_server.Get("/api/buffer", [this](const httplib::Request& q, httplib::Response& r) { buffer(q, r); });
    m_server.set_error_handler([](const httplib::Request& request, httplib::Response& response) {
        if (response.body.empty()) {
            sendError(response, response.status,
                      response.status == 404 ? "no such page: " + request.path : "the request was refused");
        }
    });
    m_server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr failure) {
            std::string message = "the request failed";
            try {
                std::rethrow_exception(failure);
            } catch (const std::bad_alloc&) {
                message = "out of memory answering the request";
            } catch (const std::exception& exception) {
                message = std::string("the request failed: ") + exception.what();
            } catch (...) {
            }
            sendError(response, 500, message);
        });
}

CTraceServer::CTraceServer(CTraceContext& context, tTraceSettings settings)
    : m_impl(std::make_unique<Impl>(context, std::move(settings))) {
    m_impl->SetUp();
}

CTraceServer::~CTraceServer() = default;

bool CTraceServer::Bind(uint16_t port, std::string& error) {
    int bound = port;
    if (port == 0) {
        bound = m_impl->m_server.bind_to_any_port(kLoopback);
    } else if (!m_impl->m_server.bind_to_port(kLoopback, port)) {
        bound = -1;
    }
    if (bound <= 0) {
        error = "cannot listen on " + std::string(kLoopback) + ":" + std::to_string(port) +
                (port == 0 ? "" : " (is the port in use?)");
        return false;
    }
    m_port = static_cast<uint16_t>(bound);
    m_impl->SetPort(m_port);
    return true;
}

bool CTraceServer::Run() {
    const bool served = m_impl->m_server.listen_after_bind();
    m_runEnded.store(true);
    return served;
}

void CTraceServer::Stop() {
    // The server's stop does nothing before it runs.
    while (!m_impl->m_server.is_running() && !m_runEnded.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_impl->m_server.stop();
}

}  // namespace vesk::replay
