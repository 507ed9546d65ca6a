#include "httpservice.h"

#include "resultcode.h"
#include "servercontext.h"
#include "xmlreply.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <httplib.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

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

    // The listening socket, for widening the backlog the library fixes at bind time.
    struct ListeningSocket : httplib::Server {
        static int of(httplib::Server& server) { return server.*(&ListeningSocket::svr_sock_); }
    };

    // Control characters and bytes outside ASCII as \xNN, so a request cannot forge log lines.
    std::string printable(const std::string& text)
    {
        if (text.empty())
            return "-";
        std::string result;
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte >= 0x7f || c == '\\') {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
                result += escaped;
            } else {
                result += c;
            }
        }
        return result;
    }

    bool hasBody(const std::string& method)
    {
        return method == "POST" || method == "PUT" || method == "PATCH" || method == "DELETE"
            || method == "PRI";
    }

    // Answers and then ends the connection: its unread body must not be read as the next request.
    // The library closes a connection whose answer could not be written to the end, so the body
    // goes out whole and the writer then reports a failure.
    void answerAndClose(
        httplib::Response& response, int status, std::string body, const std::string& contentType)
    {
        response.status = status;
        response.set_header("Connection", "close");
        auto text = std::make_shared<std::string>(std::move(body));
        response.set_chunked_content_provider(contentType, [text](size_t, httplib::DataSink& sink) {
            sink.write(text->data(), text->size());
            sink.done();
            return false;
        });
    }

    // Acknowledges what has arrived at once. A client that writes a request's headers and body
    // separately without TCP_NODELAY (Qt's HTTP thread does, for every POST) holds the body back
    // until the headers are acknowledged, and a delayed acknowledgement makes that about 40 ms.
    void acknowledgeNow(const httplib::Request& request)
    {
#ifdef TCP_QUICKACK
        if (!request.ssl)
            return;
        const int socket = SSL_get_fd(request.ssl);
        const int on = 1;
        if (socket >= 0)
            setsockopt(socket, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#else
        (void)request;
#endif
    }

    ServiceResponse tooLarge()
    {
        return ServiceResponse::xml(XmlReply(
            ResultCode::RequestValidationFailed, QStringLiteral("Richiesta troppo grande")));
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
    : router(router)
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
    const int bound = port == 0 ? server->bind_to_any_port(host)
                                : (server->bind_to_port(host, port) ? port : -1);
    // Listening again on a listening socket only changes its backlog.
    if (bound > 0 && ::listen(ListeningSocket::of(*server), listenBacklog) != 0)
        return -1;
    return bound;
}

bool HttpService::run() { return server->listen_after_bind(); }

void HttpService::stop() { server->stop(); }

ServiceResponse HttpService::dispatch(const std::string& path, const std::string& body,
    const std::string& authToken, const std::string& twoFaToken,
    const std::string& clientAddress) const
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

    if (body.size() > maxBodySize)
        return tooLarge();
    request.form = FormData::parse(body);
    if (!request.form.isValidUtf8()) {
        return ServiceResponse::xml(
            XmlReply(ResultCode::RequestValidationFailed, QStringLiteral("Testo non valido")));
    }
    request.authToken = authToken;
    request.twoFaToken = twoFaToken;
    request.clientAddress = clientAddress;
    Session session;
    if (route->authenticated) {
        if (auto refusal = guard.check(request, route->exemptions, session))
            return *refusal;
    }
    return route->handler(request, session);
}

void HttpService::install()
{
    server->set_payload_max_length(drainedBodySize);
    // A connection holds a worker while it sends its request or idles between two, so the pool
    // must outnumber the clients that keep one open, or the others wait for a free worker.
    server->new_task_queue = [] { return new httplib::ThreadPool(workerCount); };
    server->set_read_timeout(readTimeoutSeconds);
    server->set_write_timeout(5);
    server->set_keep_alive_timeout(keepAliveTimeoutSeconds);
    server->set_keep_alive_max_count(1000);
    // Headers and body go out in separate writes; without this, Nagle adds tens of ms each.
    server->set_tcp_nodelay(true);
    // Runs once the headers are in and before any body is read: a body is read only when its
    // length is declared and within the limit.
    server->set_pre_routing_handler(
        [](const httplib::Request& request, httplib::Response& response) {
            requestStart = Clock::now();
            requestTimed = true;
            requestResult = "-";
            if (!hasBody(request.method))
                return httplib::Server::HandlerResponse::Unhandled;
            const auto refuse = [&](int status, std::string body, const std::string& type) {
                requestResult = "HTTP " + std::to_string(status);
                answerAndClose(response, status, std::move(body), type);
                return httplib::Server::HandlerResponse::Handled;
            };
            if (request.has_header("Transfer-Encoding") || !request.has_header("Content-Length"))
                return refuse(411, "Length required\n", "text/plain");
            const std::string encoding = request.get_header_value("Content-Encoding");
            if (!encoding.empty() && encoding != "identity")
                return refuse(415, "Unsupported content encoding\n", "text/plain");
            const std::string length = request.get_header_value("Content-Length");
            const bool digits = !length.empty() && length.size() <= 12
                && length.find_first_not_of("0123456789") == std::string::npos;
            if (digits && std::stoull(length) <= drainedBodySize) {
                acknowledgeNow(request);
                return httplib::Server::HandlerResponse::Unhandled;
            }
            if (request.method == "POST" && request.path.compare(0, 12, "/corvane/v5/") == 0) {
                const ServiceResponse answer = tooLarge();
                requestResult = answer.resultCode;
                answerAndClose(response, answer.status, answer.body, answer.contentType);
                return httplib::Server::HandlerResponse::Handled;
            }
            return refuse(413, "Payload too large\n", "text/plain");
        });
    // A request the parser refused leaves the connection at an unknown point of the stream:
    // answer it and close, rather than read what follows as more requests.
    server->set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request&, httplib::Response& response) {
            if (requestTimed)
                return httplib::Server::HandlerResponse::Unhandled;
            answerAndClose(response, response.status, "Bad request\n", "text/plain");
            return httplib::Server::HandlerResponse::Handled;
        }));
    server->set_logger([](const httplib::Request& request, const httplib::Response& response) {
        // Only method, path and result: bodies and headers carry passwords, tokens and codes.
        if (!requestTimed) {
            // The request never reached the handlers: the parser refused it.
            std::printf("%s %s rejected HTTP %d\n", printable(request.method).c_str(),
                printable(request.path).c_str(), response.status);
        } else {
            const auto ms = std::chrono::duration_cast<std::chrono::duration<double, std::milli>>(
                Clock::now() - requestStart);
            std::printf("%s %s %s %.1fms\n", printable(request.method).c_str(),
                printable(request.path).c_str(), requestResult.c_str(), ms.count());
        }
        std::fflush(stdout);
        requestTimed = false;
        requestResult = "-";
    });
    server->Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("Tessaro\n", "text/plain");
    });
    // With a content reader the library leaves the body to the handler (and applies none of
    // its own limits on form bodies); the length was checked before routing.
    server->Post(R"(/corvane/v5/.*)",
        [this](const httplib::Request& request, httplib::Response& response,
            const httplib::ContentReader& reader) {
            std::string body;
            bool oversized = false;
            const bool read = reader([&](const char* data, size_t length) {
                // Beyond the limit the rest is read and dropped, keeping the connection in step.
                oversized = oversized || body.size() + length > maxBodySize;
                if (!oversized)
                    body.append(data, length);
                return true;
            });
            if (!read) {
                requestResult = "HTTP 400";
                answerAndClose(response, 400, "Bad request\n", "text/plain");
                return;
            }
            ServiceResponse answer;
            try {
                answer = oversized ? tooLarge()
                                   : dispatch(request.path, body, request.get_header_value("auth"),
                                       request.get_header_value("twoFa"), request.remote_addr);
            } catch (const std::exception& error) {
                std::fprintf(
                    stderr, "error in %s: %s\n", printable(request.path).c_str(), error.what());
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
