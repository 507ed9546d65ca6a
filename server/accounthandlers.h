#pragma once

#include "router.h"

class QDate;

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
