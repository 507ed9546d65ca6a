#pragma once

#include "router.h"

#include <optional>

namespace Corvane::Server {

class ServerContext;

/// The session check every authenticated verb passes before its handler runs: the auth token,
/// then the account's state, then the two-factor token. The first failing step answers.
class SessionGuard final {
public:
    explicit SessionGuard(ServerContext& context);

    /// Fills session and returns nothing when the request may go on; otherwise the refusal.
    std::optional<ServiceResponse> check(
        const ServiceRequest& request, unsigned exemptions, Session& session) const;

private:
    bool isRevoked(const std::string& tokenId) const;

    ServerContext& context;
};

}
