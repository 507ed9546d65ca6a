#include "accounthandlers.h"

#include "database.h"
#include "fiscalcodes.h"
#include "passwordhasher.h"
#include "qrcodesvg.h"
#include "resultcode.h"
#include "servercontext.h"
#include "textformat.h"
#include "totp.h"
#include "updatestore.h"
#include "xmlreply.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

#include <cctype>

namespace Corvane::Server {

namespace {
    ServiceResponse answer(int code, const QString& description = {}, int status = 200)
    {
        return ServiceResponse::xml(XmlReply(code, description), status);
    }

    ServiceResponse rateLimited()
    {
        return answer(ResultCode::RateLimited,
            QStringLiteral("Troppi tentativi falliti: riprovare tra un minuto"), 403);
    }

    std::string upper(std::string text)
    {
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }

    bool isSixDigits(const std::string& text)
    {
        return text.size() == 6 && FiscalCodes::isVatShape(text + "00000");
    }

    // Mail text takes names as typed: a line break there would add lines of the sender's choice.
    std::string oneLine(std::string text)
    {
        for (char& c : text) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                c = ' ';
        }
        return text;
    }

    bool isEmail(const std::string& text)
    {
        static const QRegularExpression pattern(QStringLiteral(R"(^[^@\s]+@[^@\s]+\.[^@\s]+$)"));
        return text.size() <= 120 && oneLine(text) == text
            && pattern.match(TextFormat::fromUtf8(text)).hasMatch();
    }

    bool isName(const std::string& text)
    {
        const std::string value = TextFormat::trimmed(text);
        return !value.empty() && value.size() <= 60;
    }

    PasswordHasher::Hash storedHash(Statement& row, int saltColumn)
    {
        PasswordHasher::Hash hash;
        hash.salt = row.text(saltColumn);
        hash.hash = row.text(saltColumn + 1);
        hash.iterations = static_cast<int>(row.integer(saltColumn + 2));
        return hash;
    }

    std::string isoNow()
    {
        return QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    }

    const char* const privacyText
        = "Informativa sul trattamento dei dati personali\n\n"
          "Il confidi tratta i dati dell'utente e delle imprese socie per l'erogazione del "
          "servizio di consultazione delle garanzie, nel rispetto della normativa vigente. "
          "I dati sono conservati per il tempo necessario alle finalità del servizio e non "
          "sono ceduti a terzi. L'utente può chiedere in ogni momento l'accesso, la rettifica "
          "o la cancellazione dei propri dati scrivendo all'ufficio privacy del confidi.\n\n"
          "Proseguendo, l'utente dichiara di aver letto e compreso l'informativa; è possibile "
          "rileggerla in qualsiasi momento dalla finestra di accesso.";
}

void AccountHandlers::registerWith(Router& router)
{
    using F = Router::Family;
    router.addPublic(F::Home, "login_account",
        [this](const ServiceRequest& request, const Session&) { return login(request); });
    router.addPublic(F::Home, "richiesta_credenziali_utente",
        [this](const ServiceRequest& request, const Session&) { return requestAccount(request); });
    router.addPublic(F::Home, "richiesta_credenziali_confidi",
        [this](
            const ServiceRequest& request, const Session&) { return requestConsortium(request); });
    router.addPublic(F::Home, "send_privacy",
        [this](const ServiceRequest&, const Session&) { return privacy(); });

    router.addAuthenticated(F::Home, "logout",
        [this](const ServiceRequest&, const Session& session) { return logout(session); });
    router.addAuthenticated(F::Home, "init",
        [this](const ServiceRequest&, const Session& session) { return init(session); });
    router.addAuthenticated(F::Home, "version_check",
        [this](const ServiceRequest&, const Session&) { return versionCheck(); });
    router.addAuthenticated(F::Home, "download_upd",
        [this](const ServiceRequest& request, const Session&) { return downloadUpdate(request); });
    router.addAuthenticated(F::Home, "richiesta_password",
        [this](const ServiceRequest&, const Session& session) { return requestPassword(session); });

    // Each step of opening a session skips the checks of the steps that come after it.
    const unsigned afterTwoFa = Router::MissingTwoFa;
    const unsigned afterTwoFaActivation = afterTwoFa | Router::InactiveTwoFa;
    const unsigned afterPassword = afterTwoFaActivation | Router::ExpiredPassword;
    const unsigned afterActivation = afterPassword | Router::PendingActivation;
    const QString invalidCode = QStringLiteral("Codice non valido");
    router.addAuthenticated(F::Home, "attivazione_codice",
        codeVerb("codice_attivazione", ResultCode::ActivationCodeValidationFailed,
            QStringLiteral("Codice di attivazione non valido"),
            "activation_code, activation_expires", &AccountHandlers::activationCode),
        afterActivation);
    router.addAuthenticated(
        F::Home, "cambio_password", call(&AccountHandlers::changePassword), afterPassword);
    router.addAuthenticated(
        F::Home, "attivazione_two_fa",
        [this](const ServiceRequest&, const Session& session) { return activateTwoFa(session); },
        afterTwoFaActivation);
    router.addAuthenticated(F::Home, "prima_autenticazione_two_fa",
        codeVerb("twofa_token", ResultCode::TwoFaFirstValidationFailed, invalidCode,
            "totp_secret, twofa_active", &AccountHandlers::firstTwoFaAuthentication),
        afterTwoFaActivation);
    router.addAuthenticated(F::Home, "autenticazione_two_fa",
        codeVerb("twofa_token", ResultCode::TwoFaValidationFailed, invalidCode,
            "totp_secret, token_generation", &AccountHandlers::twoFaAuthentication),
        afterTwoFa);
}

ServiceResponse AccountHandlers::login(const ServiceRequest& request)
{
    const std::string userCode = upper(TextFormat::trimmed(request.form.value("cf_utente")));
    const std::string consortiumCode = upper(TextFormat::trimmed(request.form.value("cf_confidi")));
    const std::string password = request.form.value("password");
    if (!FiscalCodes::isPersonalShape(userCode)
        || !(
            FiscalCodes::isVatShape(consortiumCode) || FiscalCodes::isPersonalShape(consortiumCode))
        || password.empty() || password.size() > 128) {
        return answer(
            ResultCode::LoginValidationFailed, QStringLiteral("Dati di accesso non validi"));
    }
    const std::int64_t now = ServerContext::now();
    // Both limits count the attempt before the password is hashed: parallel guesses cannot pass
    // the check together, and a refused flood costs no hashing.
    RateLimiter& limiter = context.getLoginLimiter();
    RateLimiter& addresses = context.getLoginAddressLimiter();
    if (!limiter.acquire(userCode, now))
        return rateLimited();
    if (!addresses.acquire(request.clientAddress, now)) {
        limiter.release(userCode);
        return rateLimited();
    }

    Database& db = context.database();
    Statement user = db.prepare(
        "SELECT u.id, u.password_salt, u.password_hash, u.password_iterations, "
        "u.token_generation FROM users u "
        "JOIN consortia c ON c.id = u.consortium_id WHERE u.fiscal_code = ? AND c.fiscal_code = ?");
    user.bind(1, userCode).bind(2, consortiumCode);
    // An unknown user costs a hash too, so timing does not tell which accounts exist.
    static const PasswordHasher::Hash decoy = PasswordHasher::hash("decoy password");
    const bool found = user.step();
    const bool verified
        = PasswordHasher::verify(password, found ? storedHash(user, 1) : decoy) && found;
    if (!verified)
        return answer(ResultCode::LoginFailed, QStringLiteral("Credenziali non corrette"));
    limiter.clear(userCode);
    addresses.release(request.clientAddress);
    const std::int64_t userId = user.integer(0);
    const std::int64_t generation = user.integer(4);
    user.reset();
    Statement access = db.prepare("UPDATE users SET previous_access = COALESCE(last_access, ?), "
                                  "last_access = ? WHERE id = ?");
    const std::string stamp = isoNow();
    access.bind(1, stamp).bind(2, stamp).bind(3, userId).run();

    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("0"),
        QString::fromStdString(context.getTokens().issue(
            userId, "auth", now, TokenService::authLifetime, generation)));
    return ServiceResponse::xml(reply);
}

ServiceResponse AccountHandlers::logout(const Session& session)
{
    Statement revoke = context.database().prepare(
        "INSERT OR IGNORE INTO revoked_tokens (token_id, expires) VALUES (?, ?)");
    revoke.bind(1, session.authTokenId).bind(2, session.authExpires).run();
    return answer(ResultCode::Ok);
}

ServiceResponse AccountHandlers::init(const Session& session)
{
    Statement user = context.database().prepare(
        "SELECT c.id, c.name, u.last_name, u.first_name, u.previous_access FROM users u "
        "JOIN consortia c ON c.id = u.consortium_id WHERE u.id = ?");
    user.bind(1, session.userId);
    if (!user.step())
        return answer(ResultCode::UnknownUser);
    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("0"), QString::number(user.integer(0)));
    reply.addValue(QStringLiteral("1"), TextFormat::fromUtf8(user.text(1)));
    reply.addValue(QStringLiteral("2"),
        TextFormat::fromUtf8(user.text(2)).toUpper() + QStringLiteral(" - ")
            + TextFormat::fromUtf8(user.text(3)).toUpper());
    reply.addValue(QStringLiteral("3"), TextFormat::italianDateTime(user.text(4)));
    return ServiceResponse::xml(reply);
}

ServiceResponse AccountHandlers::versionCheck()
{
    const UpdateStore updates(context.database(), context.getDataDirectory());
    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("0"), QString::fromStdString(updates.getArchiveMd5()));
    reply.addValue(QStringLiteral("1"), QString::fromStdString(updates.getLastVersion()));
    reply.addValue(QStringLiteral("2"), QString::fromStdString(updates.getArchiveSignature()));
    return ServiceResponse::xml(reply);
}

ServiceResponse AccountHandlers::downloadUpdate(const ServiceRequest& request)
{
    const UpdateStore updates(context.database(), context.getDataDirectory());
    std::string bytes;
    if (request.form.value("file") != "CorvaneWin"
        || !updates.readArchive(request.form.value("vers"), bytes)) {
        return answer(ResultCode::NoResult, QStringLiteral("Aggiornamento non disponibile"));
    }
    return ServiceResponse::file(std::move(bytes), "application/zip");
}

AccountHandlers::CodeAttempt AccountHandlers::admitCode(const ServiceRequest& request,
    const Session& session, const char* field, int invalidResult, const QString& invalidText,
    const char* userColumns)
{
    CodeAttempt attempt;
    attempt.code = TextFormat::trimmed(request.form.value(field));
    if (!isSixDigits(attempt.code)) {
        attempt.refusal = answer(invalidResult, invalidText);
        return attempt;
    }
    attempt.now = ServerContext::now();
    attempt.key = std::to_string(session.userId);
    if (!context.getCodeLimiter().acquire(attempt.key, attempt.now)) {
        attempt.refusal = rateLimited();
        return attempt;
    }
    attempt.user.emplace(context.database().prepare(
        std::string("SELECT ") + userColumns + " FROM users WHERE id = ?"));
    attempt.user->bind(1, session.userId);
    return attempt;
}

Handler AccountHandlers::codeVerb(const char* field, int invalidResult, const QString& invalidText,
    const char* userColumns,
    ServiceResponse (AccountHandlers::*check)(CodeAttempt&, const Session&))
{
    return [=](const ServiceRequest& request, const Session& session) {
        CodeAttempt attempt
            = admitCode(request, session, field, invalidResult, invalidText, userColumns);
        return attempt.refusal ? *attempt.refusal : (this->*check)(attempt, session);
    };
}

ServiceResponse AccountHandlers::activateTwoFa(const Session& session)
{
    Database& db = context.database();
    Statement state = db.prepare("SELECT twofa_active FROM users WHERE id = ?");
    state.bind(1, session.userId);
    if (state.step() && state.integer(0) != 0) {
        // An active secret is never shown again: that would hand it to anyone holding the password.
        return answer(ResultCode::TwoFaFirstCodeWrong,
            QStringLiteral("Autenticazione a due fattori già attiva"));
    }
    const std::string secret = Totp::newSecret();
    Statement store = db.prepare("UPDATE users SET totp_secret = ? WHERE id = ?");
    store.bind(1, secret).bind(2, session.userId).run();
    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("0"),
        QString::fromStdString(
            QrCodeSvg::render(Totp::provisioningUri(secret, session.fiscalCode))));
    return ServiceResponse::xml(reply);
}

ServiceResponse AccountHandlers::firstTwoFaAuthentication(
    CodeAttempt& attempt, const Session& session)
{
    Statement& user = *attempt.user;
    if (!user.step() || user.integer(1) != 0
        || !Totp::verify(user.text(0), attempt.code, attempt.now))
        return answer(ResultCode::TwoFaFirstCodeWrong, QStringLiteral("Codice non corretto"));
    user.reset();
    context.getCodeLimiter().clear(attempt.key);
    // The code just typed is this sign-in's second factor too: no second code for its session.
    Statement activate = context.database().prepare(
        "UPDATE users SET twofa_active = 1, twofa_first_session = ? WHERE id = ?");
    activate.bind(1, session.authTokenId).bind(2, session.userId).run();
    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("0"), QStringLiteral("Autenticazione a due fattori attivata"));
    return ServiceResponse::xml(reply);
}

ServiceResponse AccountHandlers::twoFaAuthentication(CodeAttempt& attempt, const Session& session)
{
    Statement& user = *attempt.user;
    const std::int64_t step
        = user.step() ? Totp::matchingStep(user.text(0), attempt.code, attempt.now) : -1;
    const std::int64_t generation = user.integer(1);
    user.reset();
    if (step < 0)
        return answer(ResultCode::TwoFaCodeWrong, QStringLiteral("Codice non corretto"));
    // A code opens one session only: a step at or before the last accepted one is refused, even
    // when it is still inside the window of clock drift.
    Database& db = context.database();
    Statement accept = db.prepare("UPDATE users SET totp_last_step = ?1 WHERE id = ?2 AND "
                                  "(totp_last_step IS NULL OR totp_last_step < ?1)");
    accept.bind(1, step).bind(2, session.userId).run();
    if (db.changes() == 0)
        return answer(ResultCode::TwoFaCodeWrong, QStringLiteral("Codice non corretto"));
    context.getCodeLimiter().clear(attempt.key);
    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("0"),
        QString::fromStdString(context.getTokens().issue(session.userId, "twofa", attempt.now,
            TokenService::twoFaLifetime, generation, session.authTokenId)));
    return ServiceResponse::xml(reply);
}

ServiceResponse AccountHandlers::activationCode(CodeAttempt& attempt, const Session& session)
{
    Statement& user = *attempt.user;
    if (!user.step() || user.isNull(0)) {
        context.getCodeLimiter().release(attempt.key);
        return answer(ResultCode::Ok, QStringLiteral("Account già attivo"));
    }
    Database& db = context.database();
    const bool expired = user.integer(1) <= attempt.now;
    const bool wrong = user.text(0) != attempt.code;
    user.reset();
    if (expired)
        return answer(
            ResultCode::ActivationCodeExpired, QStringLiteral("Codice di attivazione scaduto"));
    if (wrong) {
        // Five wrong tries use the code up: a new one has to be requested.
        Statement failure = db.prepare(
            "UPDATE users SET activation_failures = activation_failures + 1, activation_expires = "
            "CASE WHEN activation_failures + 1 >= 5 THEN 0 ELSE activation_expires END "
            "WHERE id = ?");
        failure.bind(1, session.userId).run();
        return answer(
            ResultCode::ActivationCodeWrong, QStringLiteral("Codice di attivazione errato"));
    }
    context.getCodeLimiter().clear(attempt.key);
    Statement activate = db.prepare("UPDATE users SET activation_code = NULL, activation_expires "
                                    "= NULL, activation_failures = 0 WHERE id = ?");
    activate.bind(1, session.userId).run();
    return answer(ResultCode::Ok);
}

ServiceResponse AccountHandlers::requestConsortium(const ServiceRequest& request)
{
    if (!context.getRequestAddressLimiter().acquire(
            "consortium " + request.clientAddress, ServerContext::now()))
        return rateLimited();
    const std::string code = TextFormat::trimmed(request.form.value("cf_confidi"));
    if (!FiscalCodes::isVatShape(code))
        return answer(
            ResultCode::RequestValidationFailed, QStringLiteral("Codice fiscale non valido"));
    Statement consortium = context.database().prepare(
        "SELECT fiscal_code, name, pec FROM consortia WHERE fiscal_code = ?");
    consortium.bind(1, code);
    if (!consortium.step())
        return answer(ResultCode::UnknownConsortium, QStringLiteral("Confidi non censito"));
    if (consortium.isNull(2) || consortium.text(2).empty())
        return answer(ResultCode::PecNotFound, QStringLiteral("PEC del confidi non presente"));
    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("0"), TextFormat::fromUtf8(consortium.text(0)));
    reply.addValue(QStringLiteral("1"), TextFormat::fromUtf8(consortium.text(1)));
    reply.addValue(QStringLiteral("2"), TextFormat::fromUtf8(consortium.text(2)));
    return ServiceResponse::xml(reply);
}

ServiceResponse AccountHandlers::requestAccount(const ServiceRequest& request)
{
    const std::int64_t now = ServerContext::now();
    if (!context.getRequestAddressLimiter().acquire("account " + request.clientAddress, now))
        return rateLimited();
    const std::string consortiumCode = TextFormat::trimmed(request.form.value("cf_confidi"));
    const std::string userCode = upper(TextFormat::trimmed(request.form.value("cf_utente")));
    const std::string firstName = oneLine(TextFormat::trimmed(request.form.value("nome")));
    const std::string lastName = oneLine(TextFormat::trimmed(request.form.value("cognome")));
    const std::string email = TextFormat::trimmed(request.form.value("email_utente"));
    const auto invalid = [] {
        return answer(
            ResultCode::RequestValidationFailed, QStringLiteral("Dati della richiesta non validi"));
    };
    if (!FiscalCodes::isVatShape(consortiumCode) || !FiscalCodes::isPersonalShape(userCode)
        || !isName(firstName) || !isName(lastName) || !isEmail(email)) {
        return invalid();
    }
    if (!context.getRequestConsortiumLimiter().acquire(consortiumCode, now))
        return rateLimited();
    Database& db = context.database();
    Transaction transaction(db);
    Statement consortium = db.prepare("SELECT id, pec FROM consortia WHERE fiscal_code = ?");
    consortium.bind(1, consortiumCode);
    // Only a consortium with certified mail can receive the activation code.
    if (!consortium.step() || consortium.isNull(1))
        return invalid();
    const std::int64_t consortiumId = consortium.integer(0);
    const std::string pec = consortium.text(1);
    consortium.reset();
    Statement existing
        = db.prepare("SELECT 1 FROM users WHERE consortium_id = ? AND fiscal_code = ?");
    existing.bind(1, consortiumId).bind(2, userCode);
    if (existing.step())
        return answer(ResultCode::UserAlreadyPresent, QStringLiteral("Utente già presente"));
    existing.reset();

    const std::string password = PasswordHasher::randomPassword();
    const std::string activation = PasswordHasher::randomDigits(6);
    const auto hash = PasswordHasher::hash(password);
    Statement insert = db.prepare(
        "INSERT INTO users (consortium_id, fiscal_code, first_name, last_name, email, "
        "password_salt, password_hash, password_iterations, password_expires, activation_code, "
        "activation_expires, totp_secret, twofa_active) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "NULL, 0)");
    // The mailed password must be replaced at the first access, hence already expired.
    insert.bind(1, consortiumId)
        .bind(2, userCode)
        .bind(3, firstName)
        .bind(4, lastName)
        .bind(5, email)
        .bindBlob(6, hash.salt)
        .bindBlob(7, hash.hash)
        .bind(8, hash.iterations)
        .bind(9, QDate::currentDate().toString(Qt::ISODate).toStdString())
        .bind(10, activation)
        .bind(11, now + 7 * 86400)
        .run();
    transaction.commit();

    context.getOutbox().send("new-account", email, "Nuove credenziali di accesso",
        "Gentile " + firstName + " " + lastName + ",\nla sua utenza " + userCode
            + " è stata creata.\nPassword provvisoria: " + password
            + "\nAl primo accesso servirà il codice di attivazione inviato alla PEC del confidi.");
    context.getOutbox().send("activation", pec, "Codice di attivazione per " + userCode,
        "Il codice di attivazione dell'utente " + userCode + " (" + firstName + " " + lastName
            + ") è " + activation + ".\nScade tra 7 giorni.");

    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("0"), TextFormat::fromUtf8(userCode));
    reply.addValue(QStringLiteral("1"), TextFormat::fromUtf8(email));
    reply.addValue(QStringLiteral("2"), TextFormat::fromUtf8(pec));
    return ServiceResponse::xml(reply);
}

ServiceResponse AccountHandlers::requestPassword(const Session& session)
{
    Database& db = context.database();
    Statement user = db.prepare("SELECT email, first_name, last_name FROM users WHERE id = ?");
    user.bind(1, session.userId);
    if (!user.step())
        return answer(ResultCode::UnknownUser);
    const std::string email = user.text(0);
    const std::string name = oneLine(user.text(1) + " " + user.text(2));
    user.reset();
    const std::string password = PasswordHasher::randomPassword();
    storePassword(session, password, QDate::currentDate().addDays(180));
    context.getOutbox().send("new-password", email, "Nuova password",
        "Gentile " + name + ",\nla sua nuova password è: " + password);
    return answer(ResultCode::Ok);
}

ServiceResponse AccountHandlers::changePassword(
    const ServiceRequest& request, const Session& session)
{
    const std::string oldPassword = request.form.value("old_password");
    const std::string newPassword = request.form.value("new_password");
    const auto invalid = [] {
        return answer(
            ResultCode::PasswordValidationFailed, QStringLiteral("Nuova password non valida"));
    };
    if (oldPassword.empty() || newPassword.size() < 12 || newPassword.size() > 128)
        return invalid();
    Database& db = context.database();
    Statement user = db.prepare(
        "SELECT password_salt, password_hash, password_iterations FROM users WHERE id = ?");
    user.bind(1, session.userId);
    if (!user.step() || !PasswordHasher::verify(oldPassword, storedHash(user, 0)))
        return answer(ResultCode::PasswordWrong, QStringLiteral("Password corrente non corretta"));
    user.reset();
    if (newPassword == oldPassword)
        return invalid();
    storePassword(session, newPassword, QDate::currentDate().addDays(180));
    return answer(ResultCode::Ok);
}

void AccountHandlers::storePassword(
    const Session& session, const std::string& password, const QDate& expires)
{
    const auto hash = PasswordHasher::hash(password);
    // A new password ends the user's other sessions: their tokens carry the old generation. The
    // session that made the change keeps going.
    Statement store = context.database().prepare(
        "UPDATE users SET password_salt = ?, password_hash = ?, password_iterations = ?, "
        "password_expires = ?, token_generation = token_generation + 1, password_session = ? "
        "WHERE id = ?");
    store.bindBlob(1, hash.salt)
        .bindBlob(2, hash.hash)
        .bind(3, hash.iterations)
        .bind(4, expires.toString(Qt::ISODate).toStdString())
        .bind(5, session.authTokenId)
        .bind(6, session.userId)
        .run();
}

ServiceResponse AccountHandlers::privacy()
{
    XmlReply reply(ResultCode::Ok);
    reply.addRecord({ { "testo_privacy", QString::fromUtf8(privacyText) } });
    return ServiceResponse::xml(reply);
}

}
