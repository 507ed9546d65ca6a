#pragma once

#include "router.h"
#include "sessionguard.h"

#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace Corvane::Server {

class ServerContext;

/// The HTTP(S) front of the service: maps "/corvane/v5/<family>/<verb>[/<ABI>]" to the
/// router's handlers behind the session check, answers the connection check, refuses unknown
/// paths (404) and oversized bodies (413), and logs one line per request.
class HttpService final {
public:
    static constexpr size_t maxBodySize = 1024 * 1024;
    static constexpr size_t workerCount = 32;

    /// Plain HTTP when certificatePath is empty.
    HttpService(ServerContext& context, const Router& router, const std::string& certificatePath,
        const std::string& keyPath);
    ~HttpService();
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    bool isValid() const;
    /// Binds host:port (port 0 picks a free one); returns the bound port or -1.
    int bind(const std::string& host, int port);
    /// Serves until stop(); call from a thread of its own.
    bool run();
    void stop();

    /// The request's answer, without the transport; what the handlers of every verb go through.
    ServiceResponse dispatch(const std::string& path, const std::string& body,
        const std::string& authToken, const std::string& twoFaToken) const;

private:
    void install();

    ServerContext& context;
    const Router& router;
    SessionGuard guard;
    std::unique_ptr<httplib::Server> server;
};

}
