#include "serverprocess.h"
#include "serviceclient.h"
#include "support/datarows.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
#include <QTemporaryFile>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <httplib.h>
#include <memory>
#include <sqlite3.h>
#include <thread>

using namespace Corvane::Test;

/// Another six-digit code than the one given.
static QString otherCode(const QString& code, int offset = 500000)
{
    return QString("%1").arg((code.toInt() + offset) % 1000000, 6, 10, QChar('0'));
}

/// Protocol conformance of tessaro-server, spoken over HTTPS by a plain client.
class TestTessaroServer final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void transportAnswers();
    void loginResults_data();
    void loginResults();
    void sessionChainRefusals_data();
    void sessionChainRefusals();
    void tokenExpiryKindAndRevocation();
    void twoFaAuthentication();
    void twoFaActivation();
    void accountActivation();
    void passwordChange();
    void consortiumRequest_data();
    void consortiumRequest();
    void accountRequest();
    void publicLookups();
    void companyPagingCoversEveryRowOnce();
    void companySortingAndFilters();
    void positionFilters();
    void sqlMetacharactersMatchLiterally_data();
    void sqlMetacharactersMatchLiterally();
    void reportsAndDownloads();
    void positionDetailAndPlan();
    void companyRecord();
    void tickets();
    void badTicketDocument_data();
    void badTicketDocument();
    void versionCheckAndUpdate();
    void rateLimiter();
    void requestBodies_data();
    void requestBodies();
    void dataFolderIsPrivate();
    void writeAheadLogStaysBounded();
    void idleConnections();
    void sessionsEndWithTheirSignIn();
    void codeGuessingIsLimited_data();
    void codeGuessingIsLimited();
    void parallelAndSprayedLogins();
    void accountRequestFlood();

private:
    struct Tokens {
        QString auth;
        QString twoFa;
    };

    /// Paths are given below "/corvane/v5/".
    ServiceReply post(
        const QString& path, const QMap<QString, QString>& fields = {}, const Tokens& tokens = {});
    QString codeOf(
        const QString& path, const QMap<QString, QString>& fields = {}, const Tokens& tokens = {})
    {
        return post(path, fields, tokens).resultCode();
    }
    QString login(const QString& user, const QString& password = "Corvane.Demo.2024");
    /// The user's current code; with reuse, the code of a step the server already took may come
    /// back (the server's memory of used steps is cleared first).
    QString totp(const QString& user, bool reuse = true) const;
    Tokens fullSession(const QString& user, const QString& password = "Corvane.Demo.2024");
    std::unique_ptr<httplib::Client> rawClient() const;
    QString account(const QString& descriptionPart) const;
    QString query(const QString& sql) const;
    void execute(const QString& sql) const;
    QString forgeToken(
        qint64 userId, const QString& kind, qint64 expires, const QString& sessionId = {}) const;
    void checkLog();

    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<ServiceClient> client;
    QStringList secretsSeen;
    Tokens ready;
};

ServiceReply TestTessaroServer::post(
    const QString& path, const QMap<QString, QString>& fields, const Tokens& tokens)
{
    return client->post("/corvane/v5/" + path, fields, tokens.auth, tokens.twoFa);
}

QString TestTessaroServer::account(const QString& descriptionPart) const
{
    const auto accounts = server->getAccounts();
    for (auto it = accounts.cbegin(); it != accounts.cend(); ++it) {
        if (it.key().contains(descriptionPart))
            return it.value();
    }
    return {};
}

QString TestTessaroServer::login(const QString& user, const QString& password)
{
    const ServiceReply reply = post("home/login_account",
        { { "cf_utente", user }, { "cf_confidi", server->getConsortiumOf(user) },
            { "password", password } });
    const QString token = reply.value("0");
    if (!token.isEmpty())
        secretsSeen << token;
    return reply.resultCode() == "0" ? token : QString();
}

QString TestTessaroServer::totp(const QString& user, bool reuse) const
{
    if (reuse)
        query("UPDATE users SET totp_last_step = NULL WHERE fiscal_code = '" + user + "'");
    return QString::fromLatin1(server->runTool({ "totp", user }).trimmed());
}

TestTessaroServer::Tokens TestTessaroServer::fullSession(
    const QString& user, const QString& password)
{
    Tokens tokens { login(user, password), {} };
    const QString code = totp(user);
    secretsSeen << code;
    tokens.twoFa
        = post("home/autenticazione_two_fa", { { "twofa_token", code } }, tokens).value("0");
    secretsSeen << tokens.twoFa;
    return tokens;
}

std::unique_ptr<httplib::Client> TestTessaroServer::rawClient() const
{
    auto raw = std::make_unique<httplib::Client>(
        "https://127.0.0.1:" + std::to_string(server->getPort()));
    raw->set_ca_cert_path(server->getCaPath().toStdString());
    raw->enable_server_certificate_verification(true);
    raw->set_read_timeout(30);
    return raw;
}

QString TestTessaroServer::query(const QString& sql) const
{
    sqlite3* db = nullptr;
    sqlite3_open((server->getDataDirectory() + "/tessaro.sqlite").toUtf8().constData(), &db);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* statement = nullptr;
    QString result;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW) {
        result
            = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

void TestTessaroServer::execute(const QString& sql) const
{
    sqlite3* db = nullptr;
    sqlite3_open((server->getDataDirectory() + "/tessaro.sqlite").toUtf8().constData(), &db);
    sqlite3_busy_timeout(db, 5000);
    QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

QString TestTessaroServer::forgeToken(
    qint64 userId, const QString& kind, qint64 expires, const QString& sessionId) const
{
    const auto encoding = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;
    const QByteArray header = QByteArray(R"({"alg":"HS256","typ":"JWT"})").toBase64(encoding);
    QJsonObject claims { { "sub", QString::number(userId) }, { "kind", kind },
        { "jti", "forged-" + kind }, { "iat", expires - 3600 }, { "exp", expires } };
    if (!sessionId.isEmpty())
        claims.insert("sid", sessionId);
    const QByteArray payload
        = QJsonDocument(claims).toJson(QJsonDocument::Compact).toBase64(encoding);
    const QByteArray key = query("SELECT value FROM settings WHERE key = 'token_key'").toUtf8();
    const QByteArray signature
        = QMessageAuthenticationCode::hash(header + '.' + payload, key, QCryptographicHash::Sha256)
              .toBase64(encoding);
    return QString::fromLatin1(header + '.' + payload + '.' + signature);
}

void TestTessaroServer::initTestCase()
{
    // The server may close a connection while a probe still writes to it.
    signal(SIGPIPE, SIG_IGN);
    // TESSARO_SERVER runs the same checks against another build of the server.
    const QString other = qEnvironmentVariable("TESSARO_SERVER");
    server = std::make_unique<ServerProcess>(
        other.isEmpty() ? QString::fromLocal8Bit(TESSARO_SERVER_PATH) : other);
    QString error;
    QVERIFY2(server->start("demo", error), qPrintable(error));
    QCOMPARE(server->getAccounts().size(), 6);
    client = std::make_unique<ServiceClient>("127.0.0.1", server->getPort(), server->getCaPath());
    ready = fullSession(account("ready"));
    QVERIFY(!ready.auth.isEmpty());
    QVERIFY(!ready.twoFa.isEmpty());
}

void TestTessaroServer::cleanupTestCase()
{
    // A clean stop on SIGTERM, with no sanitizer report turning the exit code.
    client.reset();
    QCOMPARE(server->stop(), 0);
    QVERIFY(server->getOutput().contains("stopping on signal"));
    checkLog();
}

void TestTessaroServer::transportAnswers()
{
    // Guards against the connection check, unknown paths and oversized bodies being mishandled.
    QCOMPARE(client->get("/").status, 200);
    QCOMPARE(post("home/no_such_verb").status, 404);
    QCOMPARE(post("search/lista_imprese").status, 404);
    QCOMPARE(post("home/init/03111").status, 404);
    QCOMPARE(post("search/lista_imprese/abc").status, 404);

    // A line break in the path must not start a log line of its own (see checkLog).
    auto raw = rawClient();
    raw->set_url_encode(false);
    const auto injected = raw->Post("/corvane/v5/home/init%0aPOST%20/forged%200%201.0ms", "",
        "application/x-www-form-urlencoded");
    QVERIFY(injected);
    QCOMPARE(injected->status, 404);
    const auto rejected = raw->Get("/not a request line");
    QVERIFY(rejected);
    QCOMPARE(rejected->status, 400);

    // A chunked body has no length to check: refused before it is read, so memory stays flat.
    const qint64 peakBefore = server->getStatusKib("VmHWM");
    const std::string chunk(1024 * 1024, 'a');
    int sent = 0;
    const auto chunked = rawClient()->Post(
        "/corvane/v5/home/login_account",
        [&](size_t, httplib::DataSink& sink) {
            if (++sent > 64) {
                sink.done();
                return true;
            }
            return sink.write(chunk.data(), chunk.size());
        },
        "application/x-www-form-urlencoded");
    QVERIFY(!chunked || chunked->status == 411);
    QVERIFY2(server->getStatusKib("VmHWM") - peakBefore < 32 * 1024,
        qPrintable(QString::number(server->getStatusKib("VmHWM") - peakBefore)));

    const ServiceReply reply = post("home/init");
    QCOMPARE(reply.status, 403);
    QVERIFY(reply.contentType.startsWith("text/html"));
    QVERIFY(reply.body.startsWith("<?xml"));
    QCOMPARE(reply.resultCode(), "300");
}

void TestTessaroServer::loginResults_data()
{
    const char* user = "CRSMTT79S02L219E";
    const char* password = "Corvane.Demo.2024";
    addRows({ "user", "consortium", "password", "code" },
        { { "malformed user code", "ABC", "28461530157", password, "317" },
            { "malformed consortium", user, "12", password, "317" },
            { "empty password", user, "28461530157", "", "317" },
            { "wrong password", user, "28461530157", "Corvane.Demo.2025", "9" },
            { "unknown user", "BNCLCU70A01H501X", "28461530157", password, "9" },
            { "other consortium", user, "39172640235", password, "9" },
            { "lower-case code", "crsmtt79s02l219e", "28461530157", password, "0" } });
}

void TestTessaroServer::loginResults()
{
    // Guards against login telling unknown users from wrong passwords, or accepting bad fields.
    QFETCH(QString, user);
    QFETCH(QString, consortium);
    QFETCH(QString, password);
    QFETCH(QString, code);
    const ServiceReply reply = post("home/login_account",
        { { "cf_utente", user }, { "cf_confidi", consortium }, { "password", password } });
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.resultCode(), code);
    if (code == "0") {
        QCOMPARE(reply.rows.size(), 1);
        QCOMPARE(reply.value("0").count('.'), 2);
    } else {
        QVERIFY(reply.rows.isEmpty());
    }
}

void TestTessaroServer::sessionChainRefusals_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("withTwoFa");
    QTest::addColumn<QString>("code");
    QTest::newRow("activation pending") << "activation pending" << false << "301";
    QTest::newRow("password expired") << "password expired" << false << "302";
    QTest::newRow("two-factor inactive") << "two-factor not yet active" << false << "303";
    QTest::newRow("two-factor token missing") << "ready" << false << "304";
    QTest::newRow("complete session") << "ready" << true << "0";
}

void TestTessaroServer::sessionChainRefusals()
{
    // Guards against the checks of an authenticated verb running out of order or not at all.
    QFETCH(QString, user);
    QFETCH(bool, withTwoFa);
    QFETCH(QString, code);
    const Tokens tokens
        = withTwoFa ? fullSession(account(user)) : Tokens { login(account(user)), {} };
    QVERIFY(!tokens.auth.isEmpty());
    QCOMPARE(codeOf("home/init", {}, tokens), code);
}

void TestTessaroServer::tokenExpiryKindAndRevocation()
{
    // Guards against expired, forged, revoked or swapped tokens opening a session.
    const qint64 userId
        = query("SELECT id FROM users WHERE fiscal_code = '" + account("ready") + "'").toLongLong();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const auto expectTokenError
        = [&](const Tokens& tokens, const QString& code, const QString& kind) {
              const ServiceReply reply = post("home/init", {}, tokens);
              QCOMPARE(reply.status, 403);
              QCOMPARE(reply.resultCode(), code);
              QCOMPARE(reply.value("0"), kind);
          };
    expectTokenError({ "not.a.token", ready.twoFa }, "313", "auth");
    expectTokenError({ forgeToken(userId, "auth", now - 10), ready.twoFa }, "313", "auth");
    expectTokenError({ ready.twoFa, ready.twoFa }, "313", "auth");
    QString tampered = ready.auth;
    tampered.chop(2);
    expectTokenError({ tampered + "AA", ready.twoFa }, "313", "auth");
    expectTokenError({ ready.auth, forgeToken(userId, "twofa", now - 10) }, "313", "twofa");
    expectTokenError({ ready.auth, ready.auth }, "312", QString());
    expectTokenError({ ready.auth, forgeToken(userId + 1, "twofa", now + 3600) }, "312", QString());
    // The key is all a forger needs: keep it private (see dataFolderIsPrivate).
    QCOMPARE(codeOf("home/init", {},
                 { forgeToken(userId, "auth", now + 60),
                     forgeToken(userId, "twofa", now + 60, "forged-auth") }),
        "0");

    const Tokens session = fullSession(account("ready"));
    QCOMPARE(codeOf("home/logout", {}, session), "0");
    expectTokenError(session, "313", "auth");
    QCOMPARE(codeOf("home/init", {}, ready), "0");
}

void TestTessaroServer::twoFaAuthentication()
{
    // Guards against wrong or malformed codes yielding a two-factor token, and Init's fields.
    const QString user = account("ready");
    const Tokens tokens { login(user), {} };
    const QString code = totp(user);
    const QString wrong = otherCode(code);
    QCOMPARE(codeOf("home/autenticazione_two_fa", { { "twofa_token", "12ab56" } }, tokens), "321");
    QCOMPARE(codeOf("home/autenticazione_two_fa", { { "twofa_token", wrong } }, tokens), "311");
    const ServiceReply reply
        = post("home/autenticazione_two_fa", { { "twofa_token", code } }, tokens);
    QCOMPARE(reply.resultCode(), "0");
    secretsSeen << reply.value("0");

    const ServiceReply init = post("home/init", { { "sys_prod_name", "Debian GNU/Linux 12" } },
        { tokens.auth, reply.value("0") });
    QCOMPARE(init.resultCode(), "0");
    QCOMPARE(init.value("0"), "1");
    QCOMPARE(init.value("1"), "Confidi Aurora Garanzie S.C.p.A.");
    QCOMPARE(init.value("2"), "FERRARESI - GIULIA");
    QVERIFY(QDateTime::fromString(init.value("3"), "dd/MM/yyyy HH:mm:ss").isValid());
}

void TestTessaroServer::twoFaActivation()
{
    // Guards against activation without a real secret, a wrong first code switching it on, or a
    // second code asked right after the first.
    const QString user = account("two-factor not yet active");
    const Tokens tokens { login(user), {} };
    const ServiceReply activation = post("home/attivazione_two_fa", {}, tokens);
    QCOMPARE(activation.resultCode(), "0");
    const QString svg = activation.value("0");
    QVERIFY(svg.contains("<svg"));
    QVERIFY(svg.contains("<path"));
    const QString secret
        = query("SELECT totp_secret FROM users WHERE fiscal_code = '" + user + "'");
    QCOMPARE(secret.size(), 32);
    // Drawn by Qt's renderer over a dark background, as the activation window stretches it, the
    // code must still read back as the secret's URI: the white margin is the SVG's own.
    QSvgRenderer renderer(svg.toUtf8());
    QVERIFY(renderer.isValid());
    for (const QSize size : { renderer.defaultSize(), QSize(380, 300) }) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        QTemporaryFile png(QDir::tempPath() + "/qrcode-XXXXXX.png");
        QVERIFY(png.open());
        QVERIFY(image.save(&png, "PNG"));
        png.close();
        QProcess zbar;
        zbar.start("zbarimg", { "--quiet", "--raw", png.fileName() });
        QVERIFY(zbar.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(),
            "otpauth://totp/Tessaro:" + user + "?secret=" + secret
                + "&issuer=Tessaro&algorithm=SHA1&digits=6&period=30");
    }

    const QString code = totp(user);
    const QString wrong = otherCode(code);
    QCOMPARE(codeOf("home/prima_autenticazione_two_fa", { { "twofa_token", "" } }, tokens), "320");
    QCOMPARE(
        codeOf("home/prima_autenticazione_two_fa", { { "twofa_token", wrong } }, tokens), "315");
    QCOMPARE(codeOf("home/init", {}, tokens), "303");
    QCOMPARE(codeOf("home/prima_autenticazione_two_fa", { { "twofa_token", code } }, tokens), "0");
    // The first code completes this sign-in's second factor; a new sign-in asks for a code.
    QCOMPARE(codeOf("home/init", {}, tokens), "0");
    QCOMPARE(codeOf("home/init", {}, { login(user), {} }), "304");
    // Once active the secret is never handed out again.
    QVERIFY(post("home/attivazione_two_fa", {}, tokens).value("0").isEmpty());
}

void TestTessaroServer::accountActivation()
{
    // Guards against a wrong, malformed or expired code activating an account.
    const QString user = account("activation pending");
    const Tokens tokens { login(user), {} };
    const QString code
        = query("SELECT activation_code FROM users WHERE fiscal_code = '" + user + "'");
    QCOMPARE(code.size(), 6);
    const QString wrong = otherCode(code, 1);
    const auto activate = [&](const QString& value) {
        return codeOf("home/attivazione_codice", { { "codice_attivazione", value } }, tokens);
    };
    QCOMPARE(activate("12345"), "319");
    QCOMPARE(activate(wrong), "307");
    execute("UPDATE users SET activation_expires = 1 WHERE fiscal_code = '" + user + "'");
    QCOMPARE(activate(code), "308");
    execute("UPDATE users SET activation_expires = 4000000000 WHERE fiscal_code = '" + user + "'");
    QCOMPARE(codeOf("home/cambio_password", {}, tokens), "301");
    QCOMPARE(activate(code), "0");
    QCOMPARE(codeOf("home/init", {}, tokens), "303");
}

void TestTessaroServer::passwordChange()
{
    // Guards against weak, unchanged or unauthorised password changes.
    const QString user = account("password expired");
    const Tokens tokens { login(user), {} };
    const auto change = [&](const QString& oldPassword, const QString& newPassword) {
        return codeOf("home/cambio_password",
            { { "old_password", oldPassword }, { "new_password", newPassword } }, tokens);
    };
    QCOMPARE(change("Corvane.Demo.2024", "short"), "316");
    QCOMPARE(change("Not.The.Password", "A.Long.New.Password"), "314");
    QCOMPARE(change("Corvane.Demo.2024", "Corvane.Demo.2024"), "316");
    QCOMPARE(codeOf("home/init", {}, tokens), "302");
    QCOMPARE(change("Corvane.Demo.2024", "Più.Sicura.2025"), "0");
    QCOMPARE(codeOf("home/init", {}, tokens), "304");
    QVERIFY(login(user).isEmpty());
    QVERIFY(!login(user, "Più.Sicura.2025").isEmpty());
}

void TestTessaroServer::consortiumRequest_data()
{
    addRows({ "consortium", "code" },
        { { "malformed", "1234", "318" }, { "unknown", "01234567890", "3" },
            { "without certified mail", "39172640235", "11" }, { "known", "28461530157", "0" } });
}

void TestTessaroServer::consortiumRequest()
{
    // Guards against the consortium request's result codes and its three records.
    QFETCH(QString, consortium);
    QFETCH(QString, code);
    const ServiceReply reply
        = post("home/richiesta_credenziali_confidi", { { "cf_confidi", consortium } });
    QCOMPARE(reply.resultCode(), code);
    if (code == "0") {
        QCOMPARE(reply.value("0"), consortium);
        QCOMPARE(reply.value("1"), "Confidi Aurora Garanzie S.C.p.A.");
        QCOMPARE(reply.value("2"), "garanzie@pec.confidiaurora.example");
    }
}

void TestTessaroServer::accountRequest()
{
    // Guards against account requests that skip validation, duplicate users or send no mail.
    const QString path = "home/richiesta_credenziali_utente";
    QMap<QString, QString> fields { { "cf_confidi", "28461530157" }, { "nome", "Nicolò" },
        { "cognome", "Dell'Acqua" }, { "cf_utente", "DLLNCL91M12F205K" },
        { "email_utente", "n.dellacqua@example.it" } };
    QMap<QString, QString> bad = fields;
    bad["email_utente"] = "not-an-address";
    QCOMPARE(codeOf(path, bad), "318");
    bad = fields;
    bad["cf_confidi"] = "39172640235";
    QCOMPARE(codeOf(path, bad), "318");
    bad = fields;
    bad["cf_utente"] = account("ready");
    QCOMPARE(codeOf(path, bad), "305");

    const QDir outbox(server->getDataDirectory() + "/outbox");
    const int mailsBefore = outbox.entryList(QDir::Files).size();
    const ServiceReply reply = post(path, fields);
    QCOMPARE(reply.resultCode(), "0");
    QCOMPARE(reply.value("0"), fields["cf_utente"]);
    QCOMPARE(codeOf(path, fields), "305");

    const QStringList mails = outbox.entryList({ "*new-account.txt" }, QDir::Files, QDir::Name);
    QCOMPARE(outbox.entryList(QDir::Files).size(), mailsBefore + 2);
    QFile mail(outbox.filePath(mails.last()));
    QVERIFY(mail.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(mail.readAll());
    QVERIFY(text.contains("n.dellacqua@example.it"));
    const QString password = text.section("Password provvisoria: ", 1).section('\n', 0, 0);
    QCOMPARE(password.size(), 16);
    secretsSeen << password;
    const ServiceReply loginReply = post("home/login_account",
        { { "cf_utente", fields["cf_utente"] }, { "cf_confidi", "28461530157" },
            { "password", password } });
    QCOMPARE(loginReply.resultCode(), "0");
    QCOMPARE(codeOf("home/init", {}, { loginReply.value("0"), {} }), "301");
}

void TestTessaroServer::publicLookups()
{
    // Guards against the lookup lists and the Windows-1252 path of accented names.
    const ServiceReply provinces = post("home/province");
    QCOMPARE(provinces.resultCode(), "0");
    QCOMPARE(provinces.rows.size(), 107);
    QCOMPARE(provinces.value("MI"), "Milano");
    QCOMPARE(provinces.value("FC"), "Forlì-Cesena");
    const ServiceReply initials = post("home/province_sigla");
    QCOMPARE(initials.rows.size(), 107);
    QCOMPARE(initials.value("SU"), "SU");

    const ServiceReply cities = post("search/comuni/03111", { { "prov", "FC" } });
    QCOMPARE(cities.resultCode(), "0");
    QString forliId;
    for (const auto& row : cities.rows) {
        if (row.first() == QString("Forlì"))
            forliId = row.firstKey();
    }
    QVERIFY(!forliId.isEmpty());
    QCOMPARE(post("search/CAP/03111", { { "comune_id", forliId } }).value("cap"), "47121");
    QCOMPARE(codeOf("search/comuni/03111", { { "prov", "XX" } }), "10");
    QCOMPARE(post("search/tipo_indirizzo/03111").rows.size(), 4);

    const ServiceReply privacy = post("home/send_privacy");
    QVERIFY(privacy.value("testo_privacy").contains("finalità"));
}

void TestTessaroServer::companyPagingCoversEveryRowOnce()
{
    // Guards against pages that overlap, skip rows or miscount, and out-of-range starts.
    const QString path = "search/lista_imprese/05222";
    const ServiceReply first
        = post(path, { { "start", "0" }, { "ord", "ragsoc" }, { "dir", "1" } }, ready);
    QCOMPARE(first.resultCode(), "0");
    const int total = first.header["risultati"].toInt();
    const int pages = first.header["tot_pag"].toInt();
    QVERIFY(total > 40);
    QCOMPARE(pages, (total + 19) / 20);
    QCOMPARE(first.header["cur_pag"], "1");
    QVERIFY(first.header["fusioni_presenti"] == "S" || first.header["fusioni_presenti"] == "N");

    QSet<QString> ids;
    for (int page = 0; page < pages; ++page) {
        const ServiceReply reply = post(path,
            { { "start", QString::number(page) }, { "ord", "ragsoc" }, { "dir", "1" } }, ready);
        QCOMPARE(reply.header["start"], QString::number(page));
        QCOMPARE(reply.header["cur_pag"], QString::number(page + 1));
        QCOMPARE(reply.rows.size(), page + 1 < pages ? 20 : total - 20 * (pages - 1));
        for (const auto& row : reply.rows)
            ids.insert(row["anag_id"]);
    }
    QCOMPARE(ids.size(), total);

    const ServiceReply beyond = post(path, { { "start", "9999" } }, ready);
    QCOMPARE(beyond.header["cur_pag"], QString::number(pages));
    QCOMPARE(post(path, { { "start", "-3" } }, ready).header["cur_pag"], "1");
    // Only the user's own banks are listed, and a bank the user is not enabled for shows nothing.
    const ServiceReply banks = post("home/banche", {}, ready);
    QCOMPARE(banks.rows.size(), 4);
    QCOMPARE(banks.value("03111"), "03111 - Banca Alpina del Lario");
    QCOMPARE(codeOf("search/lista_imprese/06333", { { "start", "0" } },
                 fullSession(account("two-factor not yet active"))),
        "10");
}

void TestTessaroServer::companySortingAndFilters()
{
    // Guards against sort keys or directions being ignored and filters matching wrongly.
    const QString path = "search/lista_imprese/03111";
    const auto column = [&](const QMap<QString, QString>& fields, const QString& key) {
        QStringList values;
        for (const auto& row : post(path, fields, ready).rows)
            values << row[key];
        return values;
    };
    const QStringList ascending
        = column({ { "ord", "ragsoc" }, { "dir", "1" } }, "ragione_sociale");
    QCOMPARE(ascending.size(), 20);
    const QStringList descendingIds = column({ { "ord", "anag_id" }, { "dir", "0" } }, "anag_id");
    for (int i = 1; i < descendingIds.size(); ++i)
        QVERIFY(descendingIds[i - 1].toInt() > descendingIds[i].toInt());
    QCOMPARE(
        column({ { "ord", "ragsoc; DROP TABLE companies" }, { "dir", "1" } }, "ragione_sociale"),
        ascending);

    const ServiceReply byName = post(path, { { "search_li_ragsoc", "CAFFÈ" } }, ready);
    QCOMPARE(byName.resultCode(), "0");
    for (const auto& row : byName.rows)
        QVERIFY2(row["ragione_sociale"].contains("Caffè"), qPrintable(row["ragione_sociale"]));
    const QString vat = post(path, {}, ready).rows.value(0).value("partita_iva");
    const ServiceReply byCode = post(path, { { "search_li_picf", vat.mid(2, 6) } }, ready);
    QVERIFY(byCode.rows.size() >= 1);
    const ServiceReply byCity = post(path, { { "search_li_comune", "forl" } }, ready);
    for (const auto& row : byCity.rows)
        QCOMPARE(row["comune"], "Forlì");
    QCOMPARE(
        codeOf(path, { { "search_li_ragsoc", "nessuna impresa ha questo nome" } }, ready), "10");
    QCOMPARE(
        codeOf("search/lista_imprese/03111", {}, fullSession(account("second consortium"))), "10");
}

void TestTessaroServer::positionFilters()
{
    // Guards against the state, date, LCR and sort parameters of the position search.
    const QString path = "search/pratiche/03111";
    const ServiceReply all = post(path, { { "start", "0" } }, ready);
    QCOMPARE(all.resultCode(), "0");
    QCOMPARE(all.rows.first().size(), 25);
    QVERIFY(all.header.contains("pratiche_da_ultimo_accesso"));

    const ServiceReply perfected = post(path, { { "search_lp_stato", "5" } }, ready);
    QVERIFY(perfected.header["risultati"].toInt() < all.header["risultati"].toInt());
    for (const auto& row : perfected.rows) {
        QCOMPARE(row["stato_id"], "5");
        QVERIFY(!row["data_perf"].isEmpty());
    }
    const QDate from = QDate::currentDate().addMonths(-4);
    const QDate to = QDate::currentDate().addMonths(-2);
    const ServiceReply dated = post(path,
        { { "search_lp_delibc_dal", from.toString("dd/MM/yyyy") },
            { "search_lp_delibc_al", to.toString("dd/MM/yyyy") }, { "ord", "delib" },
            { "dir", "1" } },
        ready);
    QCOMPARE(dated.resultCode(), "0");
    QString previous;
    for (const auto& row : dated.rows) {
        QVERIFY(row["data_delib_c_ord"] >= previous);
        previous = row["data_delib_c_ord"];
    }
    const ServiceReply byAmount = post(path, { { "ord", "importo" }, { "dir", "0" } }, ready);
    const auto euros = [](const QString& text) {
        return QString(text).remove('.').replace(',', '.').toDouble();
    };
    for (int i = 1; i < byAmount.rows.size(); ++i)
        QVERIFY(euros(byAmount.rows[i - 1]["importo"]) >= euros(byAmount.rows[i]["importo"]));
    QCOMPARE(codeOf(path, { { "search_lp_stato", "99" } }, ready), "10");
}

void TestTessaroServer::sqlMetacharactersMatchLiterally_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("field");
    const QStringList companyFields { "search_li_ragsoc", "search_li_comune", "search_li_provincia",
        "search_li_picf" };
    for (const QString& field : companyFields)
        QTest::newRow(qPrintable(field)) << "search/lista_imprese/03111" << field;
    const QStringList positionFields { "search_lp_impr", "search_lp_numero", "search_lp_delibc_dal",
        "search_lp_delibc_al", "search_lp_fin", "search_lp_banca", "search_lp_stato" };
    for (const QString& field : positionFields)
        QTest::newRow(qPrintable(field)) << "search/pratiche/03111" << field;
    QTest::newRow("report bank") << "search/report/03111"
                                 << "search_lp_banca";
}

void TestTessaroServer::sqlMetacharactersMatchLiterally()
{
    // Guards against filter text reaching SQL as code or as LIKE wildcards.
    QFETCH(QString, path);
    QFETCH(QString, field);
    for (const QString& text : { QString("%"), QString("_"), QString("' OR '1'='1"), QString("\\"),
             QString("x'); DROP TABLE positions; --") }) {
        const ServiceReply reply = post(path, { { field, text }, { "start", "0" } }, ready);
        QCOMPARE(reply.status, 200);
        // Date filters ignore text that is not a date; every other filter finds nothing.
        if (field.contains("delibc"))
            QCOMPARE(reply.resultCode(), "0");
        else
            QCOMPARE(reply.resultCode(), "10");
    }
    QVERIFY(query("SELECT COUNT(*) FROM positions").toInt() > 4000);
}

void TestTessaroServer::reportsAndDownloads()
{
    // Guards against report dates outside the range, and downloads of the wrong kind.
    const QDate from = QDate::currentDate().addMonths(-6);
    const ServiceReply reports = post("search/report/03111",
        { { "data_inizio", from.toString("dd/MM/yyyy") },
            { "data_fine", QDate::currentDate().toString("dd/MM/yyyy") } },
        ready);
    QCOMPARE(reports.resultCode(), "0");
    QCOMPARE(reports.header["risultati"].toInt(), reports.rows.size());
    QString emptyFile;
    QString fullFile;
    for (const auto& row : reports.rows) {
        QCOMPARE(row["banca_abi_id"], "03111");
        (row["vuoto"] == "1" ? emptyFile : fullFile) = row["report_file_id"];
    }
    const QString allPath = "search/report/03111";
    const ServiceReply everything = post(allPath, {}, ready);
    QVERIFY(everything.rows.size() > reports.rows.size());
    for (const auto& row : everything.rows) {
        if (row["vuoto"] == "1")
            emptyFile = row["report_file_id"];
    }
    QVERIFY(!emptyFile.isEmpty());
    QVERIFY(!fullFile.isEmpty());

    const QString download = "search/download_report/03111";
    const ServiceReply full = post(download, { { "file", fullFile } }, ready);
    QCOMPARE(full.status, 200);
    QVERIFY(!full.contentType.startsWith("text/html"));
    QVERIFY(full.body.startsWith("Report;"));
    const ServiceReply empty = post(download, { { "file", emptyFile } }, ready);
    QVERIFY(!empty.contentType.startsWith("text/html"));
    QVERIFY(empty.body.isEmpty());
    const ServiceReply missing = post(download, { { "file", "1" } }, ready);
    QVERIFY(missing.contentType.startsWith("text/html"));
    QCOMPARE(missing.resultCode(), "10");
    QCOMPARE(codeOf("search/download_report/06333", { { "file", fullFile } }, ready), "10");
}

void TestTessaroServer::positionDetailAndPlan()
{
    // Guards against missing detail fields, stages that contradict the state, and a plan that
    // does not repay the loan.
    const QString id = query("SELECT id FROM positions WHERE state_id = 6 AND abi = '03111' AND "
                             "consortium_id = 1 LIMIT 1");
    const QString lcr = query("SELECT lcr FROM positions WHERE id = " + id);
    const QMap<QString, QString> key { { "pratica_ft_id", id }, { "lcr", lcr } };
    const ServiceReply detail = post("search/dett_pratica/03111", key, ready);
    QCOMPARE(detail.resultCode(), "0");
    QCOMPARE(detail.rows.size(), 1);
    QCOMPARE(detail.rows.first().size(), 40);
    QCOMPARE(detail.value("DC_presente"), "SI");
    QCOMPARE(detail.value("PE_presente"), "SI");
    QCOMPARE(detail.value("ES_presente"), "SI");
    QVERIFY(!detail.value("ES_data_conclusione").isEmpty());
    QCOMPARE(codeOf("search/dett_pratica/03111", { { "pratica_ft_id", id }, { "lcr", "0000/1" } },
                 ready),
        "10");
    QCOMPARE(codeOf("search/dett_pratica/05222", key, ready), "10");

    const QString draft = query("SELECT id FROM positions WHERE state_id = 1 AND abi = '03111' AND "
                                "consortium_id = 1 LIMIT 1");
    const ServiceReply draftDetail = post("search/dett_pratica/03111",
        { { "pratica_ft_id", draft },
            { "lcr", query("SELECT lcr FROM positions WHERE id = " + draft) } },
        ready);
    for (const char* stage : { "DC_presente", "DB_presente", "PE_presente", "ES_presente" })
        QCOMPARE(draftDetail.value(stage), "NO");

    const ServiceReply plan = post("search/ft_piano_amm/03111", key, ready);
    QCOMPARE(plan.resultCode(), "0");
    QCOMPARE(plan.header["n_result"].toInt(), plan.rows.size());
    const auto cents = [](const QString& text) {
        return qRound64(QString(text).remove('.').replace(',', '.').toDouble() * 100);
    };
    qint64 principal = 0;
    for (const auto& row : plan.rows) {
        principal += cents(row["quota_capitale"]);
        QCOMPARE(cents(row["rata"]), cents(row["quota_capitale"]) + cents(row["quota_interesse"]));
        QCOMPARE(row["rata_pagata"], "S");
    }
    QCOMPARE(principal, query("SELECT amount_cents FROM positions WHERE id = " + id).toLongLong());
    QCOMPARE(cents(plan.rows.last()["debito_residuo"]), qint64(0));

    const ServiceReply pdf
        = post("search/download_posizione/03111", { { "pft_id", id }, { "lcr", lcr } }, ready);
    QCOMPARE(pdf.contentType, "application/pdf");
    QVERIFY(pdf.body.startsWith("%PDF-1."));
    QVERIFY(pdf.body.trimmed().endsWith("%%EOF"));
    QVERIFY(pdf.body.contains(query("SELECT qrv_code FROM positions WHERE id = " + id).toLatin1()));

    const QString related = query("SELECT MIN(id) FROM positions WHERE position_number IN "
                                  "(SELECT position_number FROM positions WHERE consortium_id = 1 "
                                  "GROUP BY position_number HAVING COUNT(*) > 1)");
    const QString relatedAbi = query("SELECT abi FROM positions WHERE id = " + related);
    const ServiceReply forms = post("search/ft_collegate/" + relatedAbi,
        { { "pratica_ft_id", related },
            { "lcr", query("SELECT lcr FROM positions WHERE id = " + related) } },
        ready);
    QCOMPARE(forms.resultCode(), "0");
    QVERIFY(forms.value("ft_descr").contains("forma tecnica"));
    QCOMPARE(codeOf("search/ft_collegate/03111", key, ready),
        query("SELECT COUNT(*) FROM positions WHERE position_number = (SELECT position_number FROM "
              "positions WHERE id = "
            + id + ")")
                == "1"
            ? QString("10")
            : QString("0"));
}

void TestTessaroServer::companyRecord()
{
    // Guards against the company record's fields and its links to merged records.
    const QString merged = query(
        "SELECT id FROM companies WHERE successor_id IS NOT NULL AND consortium_id = 1 LIMIT 1");
    const QString successor = query("SELECT successor_id FROM companies WHERE id = " + merged);
    const ServiceReply record = post("search/i_anag/03111", { { "i_anag", merged } }, ready);
    QCOMPARE(record.resultCode(), "0");
    QCOMPARE(record.rows.first().size(), 18);
    QCOMPARE(record.value("anag_succ"), successor);
    QVERIFY(!record.value("data_sostituzione").isEmpty());
    QCOMPARE(
        post("search/i_anag/03111", { { "i_anag", successor } }, ready).value("anag_prec"), merged);
    // A company of the consortium with no position at the bank is not shown there.
    const QString elsewhere = query("SELECT id FROM companies c WHERE consortium_id = 1 AND "
                                    "predecessor_id IS NULL AND successor_id IS NULL AND NOT "
                                    "EXISTS (SELECT 1 FROM positions p WHERE p.company_id = c.id "
                                    "AND p.abi = '03111') LIMIT 1");
    QVERIFY(!elsewhere.isEmpty());
    QCOMPARE(codeOf("search/i_anag/03111", { { "i_anag", elsewhere } }, ready), "10");
    const QString foreign = query("SELECT id FROM companies WHERE consortium_id = 2 LIMIT 1");
    QCOMPARE(codeOf("search/i_anag/03111", { { "i_anag", foreign } }, ready), "10");
}

static QString ticketDocument(
    const QString& ticketId, const QString& subject, const QString& text, const QString& email)
{
    const auto encode
        = [](const QString& value) { return QString::fromLatin1(value.toUtf8().toBase64()); };
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartDocument();
    writer.writeStartElement("dati_ticket");
    writer.writeStartElement("ticket");
    writer.writeTextElement("ticket_id", ticketId.isEmpty() ? QString() : encode(ticketId));
    writer.writeTextElement("oggetto", encode(subject));
    writer.writeTextElement("testo", encode(text));
    if (!email.isEmpty())
        writer.writeTextElement("email", encode(email));
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return QString::fromLatin1(xml.toBase64());
}

void TestTessaroServer::tickets()
{
    // Guards against the ticket list's filters, the conversation order and inserted text.
    const ServiceReply all = post("home/ticket", { { "search_stato", "0" } }, ready);
    QCOMPARE(all.resultCode(), "0");
    QCOMPARE(all.header["n_result"].toInt(), all.rows.size());
    QVERIFY(all.rows.size() >= 20);
    const ServiceReply email = post("home/ticket_mail_utente", {}, ready);
    QCOMPARE(email.value("email"), "giulia.ferraresi@example.it");

    const QString subject = "Perché il report è vuoto?";
    const QString text = "Buongiorno, il file di aprile è vuoto. Città: Forlì.";
    const ServiceReply inserted = post("home/ticketIns",
        { { "dati_t", ticketDocument({}, subject, text, "avvisi@example.it") } }, ready);
    QCOMPARE(inserted.resultCode(), "0");
    const QString code = inserted.value("codice_ticket");
    QVERIFY(code.startsWith("TK-"));

    const ServiceReply after = post("home/ticket", {}, ready);
    QCOMPARE(after.rows.size(), all.rows.size() + 1);
    QCOMPARE(after.rows.first()["codice"], code);
    QCOMPARE(after.rows.first()["oggetto"], subject);
    const QString ticketId = after.rows.first()["ticket_id"];

    const ServiceReply message = post("home/ticketIns",
        { { "dati_t", ticketDocument(ticketId, {}, "Aggiungo un dettaglio: è urgente.", {}) } },
        ready);
    QCOMPARE(message.resultCode(), "0");
    QVERIFY(message.value("codice_ticket").isEmpty());

    const ServiceReply detail = post("home/ticket_dett", { { "ticket", ticketId } }, ready);
    QCOMPARE(detail.rows.size(), 2);
    QCOMPARE(detail.rows[0]["testo"], text);
    QCOMPARE(detail.rows[1]["testo"], "Aggiungo un dettaglio: è urgente.");
    QVERIFY(QDateTime::fromString(detail.rows[1]["data_msg"], "dd/MM/yyyy HH:mm:ss").isValid());

    const Tokens other = fullSession(account("second consortium"));
    QCOMPARE(codeOf("home/ticket_dett", { { "ticket", ticketId } }, other), "10");
    QCOMPARE(codeOf("home/ticketIns",
                 { { "dati_t", ticketDocument(ticketId, {}, "intrusione", {}) } }, other),
        "10");
}

void TestTessaroServer::badTicketDocument_data()
{
    QTest::addColumn<QString>("document");
    QTest::newRow("missing") << QString();
    QTest::newRow("not base64") << "%%%not base64%%%";
    QTest::newRow("not xml") << QString::fromLatin1(QByteArray("just text").toBase64());
    QTest::newRow("wrong root") << QString::fromLatin1(
        QByteArray("<?xml version=\"1.0\"?><ticket><ticket_id/></ticket>").toBase64());
    QTest::newRow("plain field value") << QString::fromLatin1(QByteArray(
        "<?xml "
        "version=\"1.0\"?><dati_ticket><ticket><ticket_id></ticket_id><oggetto>Ciao!</oggetto>"
        "<testo>dGVzdG8=</testo></ticket></dati_ticket>")
                                                                  .toBase64());
    QTest::newRow("empty text") << ticketDocument({}, "Oggetto", "   ", {});
    QTest::newRow("new ticket without subject") << ticketDocument({}, {}, "Testo", {});
}

void TestTessaroServer::badTicketDocument()
{
    // Guards against malformed ticket documents being stored.
    QFETCH(QString, document);
    const QString before = query("SELECT COUNT(*) FROM tickets");
    const ServiceReply reply = post("home/ticketIns", { { "dati_t", document } }, ready);
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.resultCode(), "318");
    QCOMPARE(query("SELECT COUNT(*) FROM tickets"), before);
}

void TestTessaroServer::versionCheckAndUpdate()
{
    // Guards against the version check and the update download disagreeing on the archive.
    const ServiceReply before = post("home/version_check", {}, ready);
    QCOMPARE(before.value("1"), "5.2.0.0");
    QVERIFY(before.value("0").isEmpty());
    QCOMPARE(
        codeOf("home/download_upd", { { "file", "CorvaneWin" }, { "vers", "5.2.0.0" } }, ready),
        "10");

    QTemporaryFile archive;
    QVERIFY(archive.open());
    const QByteArray bytes = QByteArray("PK\x03\x04 demo archive ") + QByteArray(5000, 'z');
    archive.write(bytes);
    archive.close();
    int exitCode = -1;
    server->runTool(
        { "publish-update", "--version", "5.3.0.0", "--archive", archive.fileName() }, &exitCode);
    QCOMPARE(exitCode, 0);

    const ServiceReply after = post("home/version_check", {}, ready);
    QCOMPARE(after.value("1"), "5.3.0.0");
    const QString md5
        = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    QCOMPARE(after.value("0"), md5);
    // Signed with the demo key that seed put in place, whose public twin the client holds.
    QTemporaryFile signature;
    QVERIFY(signature.open());
    signature.write(QByteArray::fromBase64(after.value("2").toLatin1()));
    signature.close();
    QProcess verify;
    verify.start("openssl",
        { "pkeyutl", "-verify", "-pubin", "-inkey",
            QStringLiteral(CORVANE_SOURCE_DIR) + "/resources/update/demo-signing-key.pub.pem",
            "-rawin", "-in", archive.fileName(), "-sigfile", signature.fileName() });
    QVERIFY(verify.waitForFinished(30000));
    QVERIFY2(verify.exitCode() == 0, verify.readAllStandardError().constData());
    // No release goes out unsigned.
    server->runTool({ "publish-update", "--version", "5.4.0.0", "--archive", archive.fileName(),
                        "--signing-key", archive.fileName() },
        &exitCode);
    QCOMPARE(exitCode, 1);
    QCOMPARE(post("home/version_check", {}, ready).value("1"), "5.3.0.0");
    const ServiceReply download
        = post("home/download_upd", { { "file", "CorvaneWin" }, { "vers", "5.3.0.0" } }, ready);
    QCOMPARE(download.contentType, "application/zip");
    QCOMPARE(download.body, bytes);
}

void TestTessaroServer::rateLimiter()
{
    // Guards against unlimited password guessing, and a block spreading to other users.
    const QString user = account("no bank");
    const QString consortium = server->getConsortiumOf(user);
    const auto attempt = [&](const QString& password) {
        return post("home/login_account",
            { { "cf_utente", user }, { "cf_confidi", consortium }, { "password", password } });
    };
    for (int i = 0; i < 5; ++i)
        QCOMPARE(attempt("wrong password " + QString::number(i)).resultCode(), "9");
    const ServiceReply blocked = attempt("Corvane.Demo.2024");
    QCOMPARE(blocked.status, 403);
    QCOMPARE(blocked.resultCode(), "201");
    QVERIFY(blocked.rows.isEmpty());
    QVERIFY(!login(account("ready")).isEmpty());
}

void TestTessaroServer::requestBodies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("stored");
    const auto form = [](const QString& document, const QByteArray& extra = {}) {
        return ServiceClient::encodeForm({ { "dati_t", document } }) + extra;
    };
    // Three bytes a character in UTF-8: the largest text a ticket may carry.
    QTest::newRow("largest ticket")
        << form(ticketDocument({}, "Lungo", QString(20000, QChar(0x20AC)), {})) << "0" << true;
    QTest::newRow("oversized form")
        << form(QString(), "&x=" + QByteArray(300 * 1024, 'a')) << "318" << false;
    QTest::newRow("invalid UTF-8 in a field")
        << form(ticketDocument({}, "Oggetto", "Testo", {}), "&nota=%C3%28") << "318" << false;
    const QString badText = QString::fromLatin1(
        QByteArray("<?xml version=\"1.0\"?><dati_ticket><ticket><ticket_id></ticket_id><oggetto>"
            + QByteArray("Oggetto").toBase64() + "</oggetto><testo>"
            + QByteArray("Testo \xff\xfe").toBase64() + "</testo></ticket></dati_ticket>")
            .toBase64());
    QTest::newRow("invalid UTF-8 in the ticket") << form(badText) << "318" << false;
}

void TestTessaroServer::requestBodies()
{
    // Guards against valid large tickets being refused, and oversized or non-UTF-8 ones stored.
    QFETCH(QByteArray, body);
    QFETCH(QString, code);
    QFETCH(bool, stored);
    const int before = query("SELECT COUNT(*) FROM tickets").toInt();
    auto raw = rawClient();
    raw->set_keep_alive(true);
    const auto reply = raw->Post("/corvane/v5/home/ticketIns",
        { { "auth", ready.auth.toStdString() }, { "twoFa", ready.twoFa.toStdString() } },
        body.constData(), static_cast<size_t>(body.size()), "application/x-www-form-urlencoded");
    QVERIFY2(reply, httplib::to_string(reply.error()).c_str());
    QCOMPARE(reply->status, 200);
    ServiceReply decoded;
    decoded.body = QByteArray::fromStdString(reply->body);
    ServiceClient::decodeXml(decoded);
    QCOMPARE(decoded.resultCode(), code);
    QCOMPARE(query("SELECT COUNT(*) FROM tickets").toInt(), before + (stored ? 1 : 0));
}

void TestTessaroServer::dataFolderIsPrivate()
{
    // Guards against the signing key, two-factor secrets, TLS key or mailed passwords being
    // readable by other local users.
    QStringList open;
    QDirIterator it(server->getDataDirectory(),
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        // The log is written by this test, not by the server.
        if (info.fileName() != "server.log" && int(info.permissions() & 0x0077) != 0)
            open << info.filePath();
    }
    QVERIFY2(open.isEmpty(), qPrintable(open.join(", ")));
    QCOMPARE(int(QFileInfo(server->getDataDirectory()).permissions() & 0x0077), 0);
}

void TestTessaroServer::writeAheadLogStaysBounded()
{
    // Guards against tickets growing the write-ahead log for ever because it is never checkpointed.
    const QString document = ticketDocument({}, "Registro", QString(3000, 'x'), {});
    const QFileInfo wal(server->getDataDirectory() + "/tessaro.sqlite-wal");
    qint64 largest = 0;
    for (int i = 0; i < 1500; ++i) {
        QCOMPARE(codeOf("home/ticketIns", { { "dati_t", document } }, ready), "0");
        if (i % 100 == 99) {
            QFileInfo now(wal.filePath());
            largest = std::max(largest, now.size());
        }
    }
    // 1,500 tickets write well over 10 MB of pages; a checkpointed log stays near its 4 MB limit.
    QVERIFY2(largest < 9 * 1024 * 1024, qPrintable(QString::number(largest)));
}

void TestTessaroServer::idleConnections()
{
    // Guards against a hundred keep-alive connections idling after their request holding every
    // worker.
    std::vector<std::unique_ptr<httplib::Client>> idle(100);
    std::vector<std::thread> threads;
    for (auto& connection : idle) {
        connection = rawClient();
        connection->set_keep_alive(true);
        threads.emplace_back([&connection] { connection->Get("/"); });
    }
    QTest::qWait(500);
    QElapsedTimer timer;
    timer.start();
    ServiceClient fresh("127.0.0.1", server->getPort(), server->getCaPath());
    const ServiceReply reply = fresh.post("/corvane/v5/home/init", {}, ready.auth, ready.twoFa);
    const qint64 elapsed = timer.elapsed();
    for (auto& thread : threads)
        thread.join();
    QCOMPARE(reply.resultCode(), "0");
    QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
}

void TestTessaroServer::sessionsEndWithTheirSignIn()
{
    // Guards against a two-factor token outliving its sign-in, and sessions outliving a new
    // password.
    const QString user = account("ready");
    const Tokens first = fullSession(user);
    QCOMPARE(codeOf("home/logout", {}, first), "0");
    const QString second = login(user);
    const ServiceReply reused = post("home/init", {}, { second, first.twoFa });
    QCOMPARE(reused.status, 403);
    QCOMPARE(reused.resultCode(), "313");
    QCOMPARE(reused.value("0"), "twofa");

    const QString other = account("password expired");
    const QString password = "Più.Sicura.2025";
    const Tokens elsewhere = fullSession(other, password);
    const Tokens changing = fullSession(other, password);
    QCOMPARE(codeOf("home/init", {}, elsewhere), "0");
    QCOMPARE(codeOf("home/cambio_password",
                 { { "old_password", password }, { "new_password", "Ancora.Più.Sicura.2026" } },
                 changing),
        "0");
    const ServiceReply ended = post("home/init", {}, elsewhere);
    QCOMPARE(ended.resultCode(), "313");
    QCOMPARE(ended.value("0"), "auth");
    QCOMPARE(codeOf("home/init", {}, changing), "0");

    // A code opens one session: the same code again, in a new session, is refused.
    const Tokens once { login(user), {} };
    const QString code = totp(user);
    QCOMPARE(codeOf("home/autenticazione_two_fa", { { "twofa_token", code } }, once), "0");
    const Tokens again { login(user), {} };
    QCOMPARE(codeOf("home/autenticazione_two_fa", { { "twofa_token", code } }, again), "311");
    secretsSeen << code;
}

void TestTessaroServer::codeGuessingIsLimited_data()
{
    addRows({ "user", "setup", "verb", "field", "wrongCode" },
        { { "two-factor code", "second consortium", "", "autenticazione_two_fa", "twofa_token",
              "311" },
            { "first two-factor code", "two-factor not yet active",
                "UPDATE users SET twofa_active = 0 WHERE fiscal_code = '%1'",
                "prima_autenticazione_two_fa", "twofa_token", "315" },
            { "activation code", "activation pending",
                "UPDATE users SET activation_code = '135791', activation_expires = 4000000000 "
                "WHERE fiscal_code = '%1'",
                "attivazione_codice", "codice_attivazione", "307" } });
}

void TestTessaroServer::codeGuessingIsLimited()
{
    // Guards against six-digit codes being guessed: five wrong codes a minute, then none.
    QFETCH(QString, user);
    QFETCH(QString, setup);
    QFETCH(QString, verb);
    QFETCH(QString, field);
    QFETCH(QString, wrongCode);
    const QString code = account(user);
    if (!setup.isEmpty())
        execute(setup.arg(code));
    const Tokens tokens { login(code), {} };
    const QString right = verb == "attivazione_codice" ? "135791" : totp(code);
    const QString wrong = otherCode(right);
    const QString path = "home/" + verb;
    for (int i = 0; i < 5; ++i)
        QCOMPARE(codeOf(path, { { field, wrong } }, tokens), wrongCode);
    const ServiceReply refused = post(path, { { field, right } }, tokens);
    QCOMPARE(refused.status, 403);
    QCOMPARE(refused.resultCode(), "201");
    if (verb == "attivazione_codice") {
        // Five wrong tries use the code up.
        QCOMPARE(
            query("SELECT activation_expires FROM users WHERE fiscal_code = '" + code + "'"), "0");
    }
}

void TestTessaroServer::parallelAndSprayedLogins()
{
    // Guards against parallel guesses all passing the limit together, and against guessing
    // across many users from one address. Leaves this address blocked for a minute.
    const QString user = account("two-factor not yet active");
    const QString consortium = server->getConsortiumOf(user);
    std::atomic<int> checked { 0 };
    std::atomic<int> limited { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 20; ++t) {
        threads.emplace_back([&, t] {
            ServiceClient own("127.0.0.1", server->getPort(), server->getCaPath());
            for (int i = 0; i < 5; ++i) {
                const QString result
                    = own.post("/corvane/v5/home/login_account",
                             { { "cf_utente", user }, { "cf_confidi", consortium },
                                 { "password", QString("guess %1 %2").arg(t).arg(i) } })
                          .resultCode();
                (result == "9" ? checked : limited)++;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    QCOMPARE(checked.load(), 5);
    QCOMPARE(limited.load(), 95);

    int sprayChecked = 0;
    for (int i = 0; i < 40; ++i) {
        const QString unknown = QString("BNCLCU70A01H%1X").arg(i, 3, 10, QChar('0'));
        const QString result = codeOf("home/login_account",
            { { "cf_utente", unknown }, { "cf_confidi", consortium }, { "password", "guess" } });
        QVERIFY(result == "9" || result == "201");
        sprayChecked += result == "9" ? 1 : 0;
    }
    QVERIFY2(sprayChecked <= 25, qPrintable(QString::number(sprayChecked)));
}

void TestTessaroServer::accountRequestFlood()
{
    // Guards against one address creating accounts and mails without end, and against line
    // breaks in a name reaching the mail text.
    const QDir outbox(server->getDataDirectory() + "/outbox");
    const int usersBefore = query("SELECT COUNT(*) FROM users").toInt();
    const int mailsBefore = outbox.entryList(QDir::Files).size();
    int created = 0;
    int limited = 0;
    for (int i = 0; i < 50; ++i) {
        const QString result = codeOf("home/richiesta_credenziali_utente",
            { { "cf_confidi", "28461530157" }, { "nome", "Mario\nTo: vittima@example.it" },
                { "cognome", "Rossi" },
                { "cf_utente", QString("RSSMRA80A01H%1Z").arg(i, 3, 10, QChar('0')) },
                { "email_utente", "m.rossi@example.it" } });
        created += result == "0" ? 1 : 0;
        limited += result == "201" ? 1 : 0;
    }
    QVERIFY(created >= 1);
    QVERIFY(created <= 10);
    QCOMPARE(created + limited, 50);
    QCOMPARE(query("SELECT COUNT(*) FROM users").toInt(), usersBefore + created);
    QCOMPARE(outbox.entryList(QDir::Files).size(), mailsBefore + 2 * created);
    for (const QString& name : outbox.entryList({ "*.txt" }, QDir::Files)) {
        QFile mail(outbox.filePath(name));
        QVERIFY(mail.open(QIODevice::ReadOnly));
        QVERIFY(!mail.readAll().contains("\nTo: vittima"));
    }

    int answered = 0;
    for (int i = 0; i < 30; ++i) {
        answered
            += codeOf("home/richiesta_credenziali_confidi", { { "cf_confidi", "28461530157" } })
            == "0";
    }
    QVERIFY(answered <= 10);
}

void TestTessaroServer::checkLog()
{
    // Guards against passwords, tokens or codes reaching the request log.
    const QByteArray log = server->getOutput();
    QVERIFY(log.contains("POST /corvane/v5/home/login_account 9 "));
    QVERIFY(log.contains("POST /corvane/v5/home/init 304 "));
    QVERIFY(log.contains("\nGET - rejected HTTP 400\n"));
    QVERIFY(!log.contains("Host: - rejected"));
    QVERIFY(log.contains("POST /corvane/v5/home/init\\x0aPOST /forged 0 1.0ms - "));
    QVERIFY(!log.contains("\nPOST /forged"));
    QVERIFY(!log.contains("Corvane.Demo.2024"));
    QVERIFY(!log.contains("Più.Sicura.2025"));
    for (const QString& secret : qAsConst(secretsSeen)) {
        if (!secret.isEmpty())
            QVERIFY2(!log.contains(secret.toUtf8()), qPrintable(secret));
    }
}

QTEST_GUILESS_MAIN(TestTessaroServer)
#include "tst_tessaroserver.moc"
