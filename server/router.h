#pragma once

#include "formdata.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace Corvane::Server {

class ServerContext;
class XmlReply;

/// What one POST to a service verb carries, once the transport details are gone.
struct ServiceRequest {
    std::string verb;
    /// The bank of a search verb ("" for home verbs).
    std::string abi;
    FormData form;
    std::string authToken;
    std::string twoFaToken;
    /// The peer's IP address, for the limits per client.
    std::string clientAddress;
};

/// The answer to one request: an XML reply or, for downloads, raw bytes.
struct ServiceResponse {
    int status = 200;
    std::string contentType;
    std::string body;
    /// "esito_id" of an XML reply, or "file" for a download; only for the log.
    std::string resultCode;

    static ServiceResponse xml(const XmlReply& reply, int status = 200);
    static ServiceResponse file(std::string bytes, const std::string& contentType);
};

/// The signed-in user of an authenticated request.
struct Session {
    std::int64_t userId = 0;
    std::int64_t consortiumId = 0;
    std::string fiscalCode;
    std::string authTokenId;
    std::int64_t authExpires = 0;
};

using Handler = std::function<ServiceResponse(const ServiceRequest&, const Session&)>;

/// The table of service verbs: which family ("home" or "search") they live in, whether they
/// need a session and which steps of the session check they may skip.
class Router final {
public:
    enum class Family { Home, Search };
    enum Exemption : unsigned {
        NoExemption = 0,
        PendingActivation = 1,
        ExpiredPassword = 2,
        InactiveTwoFa = 4,
        MissingTwoFa = 8,
    };

    struct Route {
        bool authenticated = false;
        unsigned exemptions = NoExemption;
        Handler handler;
    };

    void addPublic(Family family, const std::string& verb, Handler handler);
    void addAuthenticated(
        Family family, const std::string& verb, Handler handler, unsigned exemptions = NoExemption);
    const Route* find(Family family, const std::string& verb) const;

private:
    std::map<std::pair<Family, std::string>, Route> routes;
};

/// A family of verbs: its handlers answer from the server's context, and it registers them with
/// the router.
class VerbFamily {
public:
    explicit VerbFamily(ServerContext& context)
        : context(context)
    {
    }

protected:
    /// A handler that passes the request and the session on to a method of the family.
    template <typename Family>
    Handler call(ServiceResponse (Family::*method)(const ServiceRequest&, const Session&))
    {
        auto* family = static_cast<Family*>(this);
        return [family, method](const ServiceRequest& request, const Session& session) {
            return (family->*method)(request, session);
        };
    }

    ServerContext& context;
};

}
