#include "sessionguard.h"

#include "database.h"
#include "resultcode.h"
#include "servercontext.h"
#include "xmlreply.h"

#include <QDate>

namespace Corvane::Server {

namespace {
    ServiceResponse refuse(int code, const QString& description, int status = 200)
    {
        return ServiceResponse::xml(XmlReply(code, description), status);
    }

    ServiceResponse tokenNotValid(const QString& kind)
    {
        XmlReply reply(ResultCode::TokenNotValid, QStringLiteral("Token non valido"));
        reply.addValue(QStringLiteral("0"), kind);
        return ServiceResponse::xml(reply, 403);
    }
}

SessionGuard::SessionGuard(ServerContext& context)
    : context(context)
{
}

bool SessionGuard::isRevoked(const std::string& tokenId) const
{
    Statement query = context.database().prepare("SELECT 1 FROM revoked_tokens WHERE token_id = ?");
    query.bind(1, tokenId);
    return query.step();
}

std::optional<ServiceResponse> SessionGuard::check(
    const ServiceRequest& request, unsigned exemptions, Session& session) const
{
    const std::int64_t now = ServerContext::now();
    if (request.authToken.empty())
        return refuse(ResultCode::AuthTokenMissing, QStringLiteral("Token mancante"), 403);

    const TokenService::Claims auth = context.getTokens().verify(request.authToken, now);
    if (auth.status != TokenService::Status::Valid || auth.kind != "auth"
        || isRevoked(auth.tokenId)) {
        return tokenNotValid(QStringLiteral("auth"));
    }

    Statement user = context.database().prepare(
        "SELECT consortium_id, fiscal_code, activation_code IS NOT NULL, password_expires, "
        "twofa_active, token_generation, password_session, twofa_first_session FROM users "
        "WHERE id = ?");
    user.bind(1, auth.userId);
    if (!user.step())
        return tokenNotValid(QStringLiteral("auth"));
    // A password change ends every session of the user but the one that made the change.
    if (auth.generation != user.integer(5) && auth.tokenId != user.text(6))
        return tokenNotValid(QStringLiteral("auth"));
    session.userId = auth.userId;
    session.consortiumId = user.integer(0);
    session.fiscalCode = user.text(1);
    session.authTokenId = auth.tokenId;
    session.authExpires = auth.expires;

    if (user.integer(2) != 0 && !(exemptions & Router::PendingActivation))
        return refuse(ResultCode::ActivationPending, QStringLiteral("Account da attivare"));
    const QDate passwordExpires
        = QDate::fromString(QString::fromStdString(user.text(3)), Qt::ISODate);
    if (passwordExpires <= QDate::currentDate() && !(exemptions & Router::ExpiredPassword))
        return refuse(ResultCode::PasswordExpired, QStringLiteral("Password scaduta"));
    if (user.integer(4) == 0 && !(exemptions & Router::InactiveTwoFa))
        return refuse(
            ResultCode::TwoFaInactive, QStringLiteral("Autenticazione a due fattori non attiva"));
    if (exemptions & Router::MissingTwoFa)
        return std::nullopt;

    // The sign-in that switched two-factor on proved a code already (it holds no token for it).
    if (request.twoFaToken.empty() && !user.isNull(7) && user.text(7) == auth.tokenId)
        return std::nullopt;
    if (request.twoFaToken.empty())
        return refuse(
            ResultCode::TwoFaTokenMissing, QStringLiteral("Token a due fattori mancante"), 403);
    const TokenService::Claims twoFa = context.getTokens().verify(request.twoFaToken, now);
    if (twoFa.status == TokenService::Status::Valid && twoFa.kind == "twofa"
        && twoFa.userId == session.userId) {
        // The second factor holds only for the sign-in it completed: a new login asks for it again.
        if (twoFa.sessionId != auth.tokenId || isRevoked(twoFa.tokenId))
            return tokenNotValid(QStringLiteral("twofa"));
        return std::nullopt;
    }
    if (twoFa.status == TokenService::Status::Expired)
        return tokenNotValid(QStringLiteral("twofa"));
    return refuse(
        ResultCode::TwoFaTokenInvalid, QStringLiteral("Token a due fattori non valido"), 403);
}

}
