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
/// paths (404), bodies without a length (411), compressed bodies (415) and oversized ones
/// (an XML 318 on service paths, 413 elsewhere), and logs one line per request.
class HttpService final {
public:
    /// The largest request a client sends is a ticket of 20,000 characters, twice Base64 encoded
    /// and percent-encoded: about 130 KB.
    static constexpr size_t maxBodySize = 256 * 1024;
    /// A body up to this size is read and dropped so the answer reaches the client; a larger
    /// one is refused unread and its connection closed.
    static constexpr size_t drainedBodySize = 4 * 1024 * 1024;
    /// Every open connection holds a worker while it sends its request or idles between two.
    static constexpr size_t workerCount = 512;
    static constexpr int listenBacklog = 1024;
    /// Longest pause within a request (and in the TLS handshake) before the connection is
    /// dropped, and longest idle time between two requests of a keep-alive connection.
    static constexpr int readTimeoutSeconds = 2;
    static constexpr int keepAliveTimeoutSeconds = 5;

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
        const std::string& authToken, const std::string& twoFaToken,
        const std::string& clientAddress = {}) const;

private:
    void install();

    const Router& router;
    SessionGuard guard;
    std::unique_ptr<httplib::Server> server;
};

}
