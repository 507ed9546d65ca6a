#pragma once

#include "router.h"
#include "statement.h"

#include <optional>

class QDate;
class QString;

namespace Corvane::Server {

/// The account and session verbs of the "home" family: login and logout, the steps that open
/// a session (activation, two-factor, password change), requests for access and credentials,
/// the privacy text, the version check and the update download.
class AccountHandlers final : public VerbFamily {
public:
    using VerbFamily::VerbFamily;
    void registerWith(Router& router);

private:
    /// A six-digit code sent for checking, the user's key in the code limiter and the user's
    /// row to check it against.
    struct CodeAttempt {
        std::string code;
        std::int64_t now = 0;
        std::string key;
        /// The answer to send instead: the code has the wrong shape or the user no tries left.
        std::optional<ServiceResponse> refusal;
        /// The user's columns the code is checked against, ready to step.
        std::optional<Statement> user;
    };

    /// Reads the code of field, counts one try of the user and selects the user's columns.
    CodeAttempt admitCode(const ServiceRequest& request, const Session& session, const char* field,
        int invalidResult, const QString& invalidText, const char* userColumns);
    /// The handler of a verb that checks a code: the code is admitted, then handed to check.
    Handler codeVerb(const char* field, int invalidResult, const QString& invalidText,
        const char* userColumns,
        ServiceResponse (AccountHandlers::*check)(CodeAttempt&, const Session&));
    ServiceResponse login(const ServiceRequest& request);
    ServiceResponse logout(const Session& session);
    ServiceResponse init(const Session& session);
    ServiceResponse versionCheck();
    ServiceResponse downloadUpdate(const ServiceRequest& request);
    ServiceResponse activateTwoFa(const Session& session);
    ServiceResponse firstTwoFaAuthentication(CodeAttempt& attempt, const Session& session);
    ServiceResponse twoFaAuthentication(CodeAttempt& attempt, const Session& session);
    ServiceResponse activationCode(CodeAttempt& attempt, const Session& session);
    ServiceResponse requestAccount(const ServiceRequest& request);
    ServiceResponse requestConsortium(const ServiceRequest& request);
    ServiceResponse requestPassword(const Session& session);
    ServiceResponse changePassword(const ServiceRequest& request, const Session& session);
    ServiceResponse privacy();
    void storePassword(const Session& session, const std::string& password, const QDate& expires);
};

}
