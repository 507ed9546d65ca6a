#include "httpservice.h"

#include "servercontext.h"
#include "xmlreply.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <httplib.h>

namespace Corvane::Server {

namespace {
    using Clock = std::chrono::steady_clock;

    // The logger runs on the worker thread that handled the request, right after it.
    thread_local Clock::time_point requestStart;
    thread_local bool requestTimed = false;
    thread_local std::string requestResult;

    bool isDigits(const std::string& text)
    {
        if (text.empty())
            return false;
        for (const char c : text) {
            if (c < '0' || c > '9')
                return false;
        }
        return true;
    }

    bool isVerb(const std::string& text)
    {
        if (text.empty())
            return false;
        for (const char c : text) {
            const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
                || (c >= '0' && c <= '9') || c == '_';
            if (!word)
                return false;
        }
        return true;
    }

    ServiceResponse notFound()
    {
        ServiceResponse response;
        response.status = 404;
        response.contentType = "text/plain";
        response.body = "Not found\n";
        response.resultCode = "-";
        return response;
    }
}

HttpService::HttpService(ServerContext& context, const Router& router,
    const std::string& certificatePath, const std::string& keyPath)
    : context(context)
    , router(router)
    , guard(context)
{
    if (certificatePath.empty())
        server = std::make_unique<httplib::Server>();
    else
        server = std::make_unique<httplib::SSLServer>(certificatePath.c_str(), keyPath.c_str());
    install();
}

HttpService::~HttpService() = default;

bool HttpService::isValid() const { return server->is_valid(); }

int HttpService::bind(const std::string& host, int port)
{
    if (port == 0)
        return server->bind_to_any_port(host);
    return server->bind_to_port(host, port) ? port : -1;
}

bool HttpService::run() { return server->listen_after_bind(); }

void HttpService::stop() { server->stop(); }

ServiceResponse HttpService::dispatch(const std::string& path, const std::string& body,
    const std::string& authToken, const std::string& twoFaToken) const
{
    static const std::string prefix = "/corvane/v5/";
    if (path.compare(0, prefix.size(), prefix) != 0)
        return notFound();
    const std::string rest = path.substr(prefix.size());
    const size_t firstSlash = rest.find('/');
    if (firstSlash == std::string::npos)
        return notFound();
    const std::string familyName = rest.substr(0, firstSlash);
    const std::string tail = rest.substr(firstSlash + 1);

    ServiceRequest request;
    Router::Family family;
    if (familyName == "home") {
        family = Router::Family::Home;
        request.verb = tail;
    } else if (familyName == "search") {
        family = Router::Family::Search;
        const size_t slash = tail.find('/');
        if (slash == std::string::npos)
            return notFound();
        request.verb = tail.substr(0, slash);
        request.abi = tail.substr(slash + 1);
        if (!isDigits(request.abi))
            return notFound();
    } else {
        return notFound();
    }
    if (!isVerb(request.verb))
        return notFound();
    const Router::Route* route = router.find(family, request.verb);
    if (!route)
        return notFound();

    request.form = FormData::parse(body);
    request.authToken = authToken;
    request.twoFaToken = twoFaToken;
    Session session;
    if (route->authenticated) {
        if (auto refusal = guard.check(request, route->exemptions, session))
            return *refusal;
    }
    return route->handler(request, session);
}

void HttpService::install()
{
    server->set_payload_max_length(maxBodySize);
    // A keep-alive connection holds a worker while it lasts, so the pool must outnumber the
    // clients that keep one open, or the others wait for a free worker.
    server->new_task_queue = [] { return new httplib::ThreadPool(workerCount); };
    server->set_keep_alive_timeout(5);
    server->set_keep_alive_max_count(1000);
    // Headers and body go out in separate writes; without this, Nagle adds tens of ms each.
    server->set_tcp_nodelay(true);
    server->set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        requestStart = Clock::now();
        requestTimed = true;
        requestResult = "-";
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server->set_logger([](const httplib::Request& request, const httplib::Response&) {
        const auto elapsed = requestTimed ? Clock::now() - requestStart : Clock::duration::zero();
        const auto ms
            = std::chrono::duration_cast<std::chrono::duration<double, std::milli>>(elapsed);
        // Only method, path and result: bodies and headers carry passwords, tokens and codes.
        std::printf("%s %s %s %.1fms\n", request.method.c_str(), request.path.c_str(),
            requestResult.c_str(), ms.count());
        std::fflush(stdout);
        requestTimed = false;
    });
    server->Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("Tessaro\n", "text/plain");
    });
    server->Post(
        R"(/corvane/v5/.*)", [this](const httplib::Request& request, httplib::Response& response) {
            ServiceResponse answer;
            try {
                answer = dispatch(request.path, request.body, request.get_header_value("auth"),
                    request.get_header_value("twoFa"));
            } catch (const std::exception& error) {
                std::fprintf(stderr, "error in %s: %s\n", request.path.c_str(), error.what());
                answer.status = 500;
                answer.contentType = "text/plain";
                answer.body = "Internal error\n";
                answer.resultCode = "-";
            }
            requestResult = answer.resultCode;
            response.status = answer.status;
            response.set_content(answer.body, answer.contentType.c_str());
        });
}

}
