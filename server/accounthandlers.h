#pragma once

#include "router.h"

#include <optional>

class QDate;
class QString;

namespace Corvane::Server {

class ServerContext;

/// The account and session verbs of the "home" family: login and logout, the steps that open
/// a session (activation, two-factor, password change), requests for access and credentials,
/// the privacy text, the version check and the update download.
class AccountHandlers final {
public:
    explicit AccountHandlers(ServerContext& context);
    void registerWith(Router& router);

private:
    /// A six-digit code sent for checking, and the user's key in the code limiter.
    struct CodeAttempt {
        std::string code;
        std::int64_t now = 0;
        std::string key;
        /// The answer to send instead: the code has the wrong shape or the user no tries left.
        std::optional<ServiceResponse> refusal;
    };

    /// Reads the code of field and counts one try of the user.
    CodeAttempt admitCode(const ServiceRequest& request, const Session& session, const char* field,
        int invalidResult, const QString& invalidText);
    ServiceResponse login(const ServiceRequest& request);
    ServiceResponse logout(const Session& session);
    ServiceResponse init(const Session& session);
    ServiceResponse versionCheck();
    ServiceResponse downloadUpdate(const ServiceRequest& request);
    ServiceResponse activateTwoFa(const Session& session);
    ServiceResponse firstTwoFaAuthentication(const ServiceRequest& request, const Session& session);
    ServiceResponse twoFaAuthentication(const ServiceRequest& request, const Session& session);
    ServiceResponse activationCode(const ServiceRequest& request, const Session& session);
    ServiceResponse requestAccount(const ServiceRequest& request);
    ServiceResponse requestConsortium(const ServiceRequest& request);
    ServiceResponse requestPassword(const Session& session);
    ServiceResponse changePassword(const ServiceRequest& request, const Session& session);
    ServiceResponse privacy();
    void storePassword(const Session& session, const std::string& password, const QDate& expires);

    ServerContext& context;
};

}
