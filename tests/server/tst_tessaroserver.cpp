#include "serverprocess.h"
#include "serviceclient.h"
#include "support/datarows.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <httplib.h>
#include <memory>
#include <sqlite3.h>
#include <thread>

using namespace Corvane::Test;

namespace {

using Fields = QMap<QString, QString>;

struct Tokens {
    QString auth;
    QString twoFa;
};

/// One request of a walk: its path below "/corvane/v5/", fields, result code and record values.
struct Step {
    QString path;
    Fields fields;
    QString code;
    Fields values = {};
};

/// Another six-digit code than the one given.
QString otherCode(const QString& code, int offset = 500000)
{
    return QString("%1").arg((code.toInt() + offset) % 1000000, 6, 10, QChar('0'));
}

/// The "dati_t" field of a new ticket (no ticketId) or of a message added to one.
QString ticketDocument(
    const QString& ticketId, const QString& subject, const QString& text, const QString& email = {})
{
    QString xml = "<?xml version=\"1.0\"?><dati_ticket><ticket>";
    const auto add = [&xml](const char* name, const QString& value) {
        xml += QString("<%1>%2</%1>").arg(name, QString::fromLatin1(value.toUtf8().toBase64()));
    };
    add("ticket_id", ticketId);
    add("oggetto", subject);
    add("testo", text);
    if (!email.isEmpty())
        add("email", email);
    return QString::fromLatin1((xml + "</ticket></dati_ticket>").toUtf8().toBase64());
}

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
    void sessionRefusals();
    void twoFaAuthentication();
    void twoFaActivation();
    void accountActivation();
    void passwordChange();
    void publicRequests();
    void companyList();
    void positionFilters();
    void sqlMetacharactersMatchLiterally();
    void reportsAndDownloads();
    void positionDetailAndPlan();
    void companyRecord();
    void tickets();
    void requestBodies_data();
    void requestBodies();
    void versionCheckAndUpdate();
    void dataFolder();
    void codeGuessingIsLimited_data();
    void codeGuessingIsLimited();
    void floodsFromOneAddress();

private:
    ServiceReply post(const QString& path, const Fields& fields = {}, const Tokens& tokens = {})
    {
        return client->post("/corvane/v5/" + path, fields, tokens.auth, tokens.twoFa);
    }

    /// Posts the steps in turn, failing the test at the first reply unlike its step.
    void walk(const Tokens& tokens, const QList<Step>& steps)
    {
        for (int i = 0; i < steps.size(); ++i) {
            const ServiceReply reply = post(steps[i].path, steps[i].fields, tokens);
            QString expected = steps[i].code;
            QString actual = reply.resultCode();
            for (auto it = steps[i].values.cbegin(); it != steps[i].values.cend(); ++it) {
                expected += ' ' + it.key() + '=' + it.value();
                actual += ' ' + it.key() + '=' + reply.value(it.key());
            }
            QVERIFY2(actual == expected,
                qPrintable(
                    QString("step %1 %2: %3, not %4").arg(i).arg(steps[i].path, actual, expected)));
        }
    }

    QString login(const QString& user, const QString& password = "Corvane.Demo.2024")
    {
        const ServiceReply reply = post("home/login_account",
            { { "cf_utente", user }, { "cf_confidi", server->getConsortiumOf(user) },
                { "password", password } });
        secretsSeen << reply.value("0");
        return reply.resultCode() == "0" ? reply.value("0") : QString();
    }

    /// The user's current code, even one of a step the server already took (its memory is reset).
    QString totp(const QString& user) const
    {
        query("UPDATE users SET totp_last_step = NULL WHERE fiscal_code = '" + user + "'", true);
        return QString::fromLatin1(server->runTool({ "totp", user }).trimmed());
    }

    Tokens fullSession(const QString& user, const QString& password = "Corvane.Demo.2024")
    {
        Tokens tokens { login(user, password), {} };
        const QString code = totp(user);
        tokens.twoFa
            = post("home/autenticazione_two_fa", { { "twofa_token", code } }, tokens).value("0");
        secretsSeen << code << tokens.twoFa;
        return tokens;
    }

    std::unique_ptr<httplib::Client> rawClient() const
    {
        auto raw = std::make_unique<httplib::Client>(
            "https://127.0.0.1:" + std::to_string(server->getPort()));
        raw->set_ca_cert_path(server->getCaPath().toStdString());
        raw->enable_server_certificate_verification(true);
        raw->set_read_timeout(30);
        return raw;
    }

    QString account(const QString& descriptionPart) const
    {
        const auto accounts = server->getAccounts();
        for (auto it = accounts.cbegin(); it != accounts.cend(); ++it) {
            if (it.key().contains(descriptionPart))
                return it.value();
        }
        return {};
    }

    /// The first column of the first row, or with execute the statement's success as "ok".
    QString query(const QString& sql, bool execute = false) const
    {
        sqlite3* db = nullptr;
        sqlite3_open((server->getDataDirectory() + "/tessaro.sqlite").toUtf8().constData(), &db);
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* statement = nullptr;
        QString result;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr)
            == SQLITE_OK) {
            const int step = sqlite3_step(statement);
            if (step == SQLITE_ROW && !execute)
                result = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
            else if (step == SQLITE_DONE && execute)
                result = "ok";
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return result;
    }

    QString forgeToken(
        qint64 userId, const QString& kind, qint64 expires, const QString& sessionId = {}) const
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
        const QByteArray signature = QMessageAuthenticationCode::hash(
            header + '.' + payload, key, QCryptographicHash::Sha256)
                                         .toBase64(encoding);
        return QString::fromLatin1(header + '.' + payload + '.' + signature);
    }

    void checkLog()
    {
        // Guards against passwords, tokens or codes reaching the request log, and forged log lines.
        const QByteArray log = server->getOutput();
        for (const char* line : { "POST /corvane/v5/home/login_account 9 ",
                 "POST /corvane/v5/home/init 304 ", "\nGET - rejected HTTP 400\n",
                 "POST /corvane/v5/home/init\\x0aPOST /forged 0 1.0ms - " })
            QVERIFY2(log.contains(line), line);
        for (const char* text :
            { "Host: - rejected", "\nPOST /forged", "Corvane.Demo.2024", "Più.Sicura.2025" })
            QVERIFY2(!log.contains(text), text);
        for (const QString& secret : qAsConst(secretsSeen)) {
            if (!secret.isEmpty())
                QVERIFY2(!log.contains(secret.toUtf8()), qPrintable(secret));
        }
    }

    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<ServiceClient> client;
    QStringList secretsSeen;
    Tokens ready;
};

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
    // Guards against bad answers to probes, unknown paths, huge bodies and idle connections.
    QCOMPARE(client->get("/").status, 200);
    for (const char* path : { "home/no_such_verb", "search/lista_imprese", "home/init/03111",
             "search/lista_imprese/abc" })
        QVERIFY2(post(path).status == 404, path);

    // A line break in the path must not start a log line of its own (see checkLog).
    auto raw = rawClient();
    raw->set_url_encode(false);
    const auto status = [](const httplib::Result& result) { return result ? result->status : 0; };
    QCOMPARE(status(raw->Post("/corvane/v5/home/init%0aPOST%20/forged%200%201.0ms", "",
                 "application/x-www-form-urlencoded")),
        404);
    QCOMPARE(status(raw->Get("/not a request line")), 400);

    // A chunked body has no length to check: refused before it is read, so memory stays flat.
    const qint64 peakBefore = server->getStatusKib("VmHWM");
    const std::string chunk(1024 * 1024, 'a');
    int sent = 0;
    const auto chunked = rawClient()->Post(
        "/corvane/v5/home/login_account",
        [&](size_t, httplib::DataSink& sink) {
            if (++sent <= 64)
                return sink.write(chunk.data(), chunk.size());
            sink.done();
            return true;
        },
        "application/x-www-form-urlencoded");
    QVERIFY(!chunked || chunked->status == 411);
    const qint64 growth = server->getStatusKib("VmHWM") - peakBefore;
    QVERIFY2(growth < 32 * 1024, qPrintable(QString::number(growth)));

    // An XML error page (decoded only when sent as "text/html").
    const ServiceReply reply = post("home/init");
    QVERIFY(reply.body.startsWith("<?xml"));
    QCOMPARE(QString("%1 %2").arg(reply.status).arg(reply.resultCode()), "403 300");

    // A hundred idle keep-alive connections still leave a worker for a new client.
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
    const QString code
        = fresh.post("/corvane/v5/home/init", {}, ready.auth, ready.twoFa).resultCode();
    const qint64 elapsed = timer.elapsed();
    for (auto& thread : threads)
        thread.join();
    QCOMPARE(code, "0");
    QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
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
    QCOMPARE(reply.rows.size(), code == "0" ? 1 : 0);
    QCOMPARE(reply.value("0").count('.'), code == "0" ? 2 : 0);
}

void TestTessaroServer::sessionRefusals()
{
    // Guards against session checks out of order, and bad or outlived tokens opening a session.
    const auto init = [&](const Tokens& tokens) {
        const ServiceReply reply = post("home/init", {}, tokens);
        return QString("%1 %2 %3").arg(reply.status).arg(reply.resultCode(), reply.value("0"));
    };
    const auto signedIn = [&](const char* user) { return Tokens { login(account(user)), {} }; };
    QCOMPARE(init(signedIn("activation pending")), "200 301 ");
    QCOMPARE(init(signedIn("password expired")), "200 302 ");
    QCOMPARE(init(signedIn("two-factor not yet active")), "200 303 ");
    QCOMPARE(init(signedIn("ready")), "403 304 ");
    QCOMPARE(init(ready), "200 0 1");

    const qint64 id
        = query("SELECT id FROM users WHERE fiscal_code = '" + account("ready") + "'").toLongLong();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QCOMPARE(init({ "not.a.token", ready.twoFa }), "403 313 auth");
    QCOMPARE(init({ forgeToken(id, "auth", now - 10), ready.twoFa }), "403 313 auth");
    QCOMPARE(init({ ready.twoFa, ready.twoFa }), "403 313 auth");
    QCOMPARE(init({ ready.auth.chopped(2) + "AA", ready.twoFa }), "403 313 auth");
    QCOMPARE(init({ ready.auth, forgeToken(id, "twofa", now - 10) }), "403 313 twofa");
    QCOMPARE(init({ ready.auth, ready.auth }), "403 312 ");
    QCOMPARE(init({ ready.auth, forgeToken(id + 1, "twofa", now + 3600) }), "403 312 ");
    // The key is all a forger needs: keep it private (see dataFolder).
    const QString forgedTwoFa = forgeToken(id, "twofa", now + 60, "forged-auth");
    QCOMPARE(init({ forgeToken(id, "auth", now + 60), forgedTwoFa }), "200 0 1");

    // Logging out revokes the sign-in, and its two-factor token does not carry over to the next.
    const Tokens session = fullSession(account("ready"));
    walk(session, { { "home/logout", {}, "0" } });
    QCOMPARE(init(session), "403 313 auth");
    QCOMPARE(init({ login(account("ready")), session.twoFa }), "403 313 twofa");
    QCOMPARE(init(ready), "200 0 1");
}

void TestTessaroServer::twoFaAuthentication()
{
    // Guards against wrong, malformed or used codes yielding a two-factor token, and Init's fields.
    const QString user = account("ready");
    const Tokens tokens { login(user), {} };
    const QString code = totp(user);
    const QString path = "home/autenticazione_two_fa";
    walk(tokens,
        { { path, { { "twofa_token", "12ab56" } }, "321" },
            { path, { { "twofa_token", otherCode(code) } }, "311" } });
    const QString twoFa = post(path, { { "twofa_token", code } }, tokens).value("0");
    secretsSeen << code << twoFa;
    // A code opens one session: the same code again, in a new session, is refused.
    walk({ login(user), {} }, { { path, { { "twofa_token", code } }, "311" } });

    walk({ tokens.auth, twoFa },
        { { "home/init", { { "sys_prod_name", "Debian GNU/Linux 12" } }, "0",
            { { "0", "1" }, { "1", "Confidi Aurora Garanzie S.C.p.A." },
                { "2", "FERRARESI - GIULIA" } } } });
    const QString lastAccess = post("home/init", {}, { tokens.auth, twoFa }).value("3");
    QVERIFY(QDateTime::fromString(lastAccess, "dd/MM/yyyy HH:mm:ss").isValid());
}

void TestTessaroServer::twoFaActivation()
{
    // Guards against a fake secret, a wrong first code switching on, or a second code asked.
    const QString user = account("two-factor not yet active");
    const Tokens tokens { login(user), {} };
    const ServiceReply activation = post("home/attivazione_two_fa", {}, tokens);
    const QString svg = activation.value("0");
    const QString secret
        = query("SELECT totp_secret FROM users WHERE fiscal_code = '" + user + "'");
    QCOMPARE(secret.size(), 32);
    // Stretched over a dark background, as the window draws it: the white margin is the SVG's.
    QSvgRenderer renderer(svg.toUtf8());
    QVERIFY2(activation.resultCode() == "0" && svg.contains("<path") && renderer.isValid(),
        qPrintable(svg));
    for (const QSize size : { renderer.defaultSize(), QSize(380, 300) }) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        QTemporaryFile png(QDir::tempPath() + "/qrcode-XXXXXX.png");
        QVERIFY(png.open() && image.save(png.fileName(), "PNG"));
        QProcess zbar;
        zbar.start("zbarimg", { "--quiet", "--raw", png.fileName() });
        zbar.waitForFinished(30000);
        QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(),
            "otpauth://totp/Tessaro:" + user + "?secret=" + secret
                + "&issuer=Tessaro&algorithm=SHA1&digits=6&period=30");
    }

    const QString code = totp(user);
    const QString first = "home/prima_autenticazione_two_fa";
    // The first code completes this sign-in; once active, the secret is never handed out again.
    walk(tokens,
        { { first, { { "twofa_token", "" } }, "320" },
            { first, { { "twofa_token", otherCode(code) } }, "315" }, { "home/init", {}, "303" },
            { first, { { "twofa_token", code } }, "0" }, { "home/init", {}, "0" },
            { "home/attivazione_two_fa", {}, "315", { { "0", "" } } } });
    walk({ login(user), {} }, { { "home/init", {}, "304" } });
}

void TestTessaroServer::accountActivation()
{
    // Guards against a wrong, malformed or expired code activating an account.
    const QString user = account("activation pending");
    const Tokens tokens { login(user), {} };
    const QString code
        = query("SELECT activation_code FROM users WHERE fiscal_code = '" + user + "'");
    QCOMPARE(code.size(), 6);
    const QString path = "home/attivazione_codice";
    const auto expires = [&](const char* time) {
        return query(QString("UPDATE users SET activation_expires = %1 WHERE fiscal_code = '%2'")
                         .arg(time, user),
            true);
    };
    walk(tokens,
        { { path, { { "codice_attivazione", "12345" } }, "319" },
            { path, { { "codice_attivazione", otherCode(code, 1) } }, "307" } });
    QCOMPARE(expires("1"), "ok");
    walk(tokens, { { path, { { "codice_attivazione", code } }, "308" } });
    QCOMPARE(expires("4000000000"), "ok");
    walk(tokens,
        { { "home/cambio_password", {}, "301" }, { path, { { "codice_attivazione", code } }, "0" },
            { "home/init", {}, "303" } });
}

void TestTessaroServer::passwordChange()
{
    // Guards against weak or unauthorised password changes, and sessions outliving a new one.
    const QString user = account("password expired");
    const auto change = [](const QString& from, const QString& to, const QString& code) {
        return Step { "home/cambio_password", { { "old_password", from }, { "new_password", to } },
            code };
    };
    const QString demo = "Corvane.Demo.2024";
    const QString password = "Più.Sicura.2025";
    walk({ login(user), {} },
        { change(demo, "short", "316"), change("Not.The.Password", "A.Long.Password", "314"),
            change(demo, demo, "316"), { "home/init", {}, "302" }, change(demo, password, "0"),
            { "home/init", {}, "304" } });
    QVERIFY(login(user).isEmpty());

    const Tokens elsewhere = fullSession(user, password);
    const Tokens changing = fullSession(user, password);
    walk(elsewhere, { { "home/init", {}, "0" } });
    walk(changing, { change(password, "Ancora.Più.Sicura.2026", "0"), { "home/init", {}, "0" } });
    walk(elsewhere, { { "home/init", {}, "313", { { "0", "auth" } } } });
}

void TestTessaroServer::publicRequests()
{
    // Guards against unvalidated or unmailed credential requests, lookup lists, Windows-1252 names.
    const QString confidi = "home/richiesta_credenziali_confidi";
    const QString path = "home/richiesta_credenziali_utente";
    const Fields fields { { "cf_confidi", "28461530157" }, { "nome", "Nicolò" },
        { "cognome", "Dell'Acqua" }, { "cf_utente", "DLLNCL91M12F205K" },
        { "email_utente", "n.dellacqua@example.it" } };
    const auto with = [&](const QString& key, const QString& value) {
        Fields changed = fields;
        changed[key] = value;
        return changed;
    };
    const QDir outbox(server->getDataDirectory() + "/outbox");
    const int mailsBefore = outbox.entryList(QDir::Files).size();
    walk({},
        { { confidi, { { "cf_confidi", "1234" } }, "318" },
            { confidi, { { "cf_confidi", "01234567890" } }, "3" },
            { confidi, { { "cf_confidi", "39172640235" } }, "11" },
            { confidi, { { "cf_confidi", "28461530157" } }, "0",
                { { "0", "28461530157" }, { "1", "Confidi Aurora Garanzie S.C.p.A." },
                    { "2", "garanzie@pec.confidiaurora.example" } } },
            { path, with("email_utente", "not-an-address"), "318" },
            { path, with("cf_confidi", "39172640235"), "318" },
            { path, with("cf_utente", account("ready")), "305" },
            { path, fields, "0", { { "0", fields["cf_utente"] } } }, { path, fields, "305" } });

    const QStringList mails = outbox.entryList({ "*new-account.txt" }, QDir::Files, QDir::Name);
    QCOMPARE(outbox.entryList(QDir::Files).size(), mailsBefore + 2);
    QFile mail(outbox.filePath(mails.last()));
    const QString text = mail.open(QIODevice::ReadOnly) ? QString::fromUtf8(mail.readAll()) : "";
    QVERIFY(text.contains("n.dellacqua@example.it"));
    // The mailed password signs the new user in, to an account still to be activated.
    const QString password = text.section("Password provvisoria: ", 1).section('\n', 0, 0);
    QCOMPARE(password.size(), 16);
    const ServiceReply signIn = post("home/login_account",
        { { "cf_utente", fields["cf_utente"] }, { "cf_confidi", "28461530157" },
            { "password", password } });
    secretsSeen << password << signIn.value("0");
    walk({ signIn.value("0"), {} }, { { "home/init", {}, "301" } });

    QCOMPARE(post("home/province").rows.size(), 107);
    QCOMPARE(post("home/province_sigla").rows.size(), 107);
    QCOMPARE(post("search/tipo_indirizzo/03111").rows.size(), 4);
    QString forli;
    for (const auto& row : post("search/comuni/03111", { { "prov", "FC" } }).rows) {
        if (row.first() == QString("Forlì"))
            forli = row.firstKey();
    }
    QVERIFY(!forli.isEmpty());
    walk({},
        { { "home/province", {}, "0", { { "MI", "Milano" }, { "FC", "Forlì-Cesena" } } },
            { "home/province_sigla", {}, "0", { { "SU", "SU" } } },
            { "search/CAP/03111", { { "comune_id", forli } }, "0", { { "cap", "47121" } } },
            { "search/comuni/03111", { { "prov", "XX" } }, "10" } });
    QVERIFY(post("home/send_privacy").value("testo_privacy").contains("finalità"));
}

void TestTessaroServer::companyList()
{
    // Guards against overlapping or miscounted pages, foreign banks, ignored sorts, wrong matches.
    const QString path = "search/lista_imprese/05222";
    const auto page = [&](const QString& start) {
        return post(path, { { "start", start }, { "ord", "ragsoc" }, { "dir", "1" } }, ready);
    };
    const ServiceReply first = page("0");
    const int total = first.header["risultati"].toInt();
    const int pages = first.header["tot_pag"].toInt();
    QVERIFY(total > 40);
    QCOMPARE(pages, (total + 19) / 20);
    QVERIFY(first.header["fusioni_presenti"] == "S" || first.header["fusioni_presenti"] == "N");
    QSet<QString> ids;
    for (int i = 0; i < pages; ++i) {
        const ServiceReply reply = page(QString::number(i));
        QCOMPARE(reply.header["start"] + '/' + reply.header["cur_pag"],
            QString("%1/%2").arg(i).arg(i + 1));
        QCOMPARE(reply.rows.size(), i + 1 < pages ? 20 : total - 20 * (pages - 1));
        for (const auto& row : reply.rows)
            ids.insert(row["anag_id"]);
    }
    QCOMPARE(ids.size(), total);
    QCOMPARE(page("9999").header["cur_pag"], QString::number(pages));
    QCOMPARE(page("-3").header["cur_pag"], "1");

    // Only the user's own banks are listed, and a bank the user is not enabled for shows nothing.
    const ServiceReply banks = post("home/banche", {}, ready);
    QCOMPARE(banks.rows.size(), 4);
    QCOMPARE(banks.value("03111"), "03111 - Banca Alpina del Lario");
    walk(fullSession(account("two-factor not yet active")),
        { { "search/lista_imprese/06333", { { "start", "0" } }, "10" } });

    const QString bank = "search/lista_imprese/03111";
    const auto column = [&](const Fields& fields, const QString& key) {
        QStringList values;
        for (const auto& row : post(bank, fields, ready).rows)
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

    const QStringList coffee = column({ { "search_li_ragsoc", "CAFFÈ" } }, "ragione_sociale");
    QVERIFY(!coffee.isEmpty());
    for (const QString& name : coffee)
        QVERIFY2(name.contains("Caffè"), qPrintable(name));
    const QString vat = column({}, "partita_iva").value(0);
    QVERIFY(!column({ { "search_li_picf", vat.mid(2, 6) } }, "partita_iva").isEmpty());
    for (const QString& city : column({ { "search_li_comune", "forl" } }, "comune"))
        QCOMPARE(city, "Forlì");
    walk(ready, { { bank, { { "search_li_ragsoc", "nessuna impresa ha questo nome" } }, "10" } });
    walk(fullSession(account("second consortium")), { { bank, {}, "10" } });
}

void TestTessaroServer::positionFilters()
{
    // Guards against the state, date, LCR and sort parameters of the position search.
    const QString path = "search/pratiche/03111";
    const ServiceReply all = post(path, { { "start", "0" } }, ready);
    QCOMPARE(all.rows.value(0).size(), 25);
    QVERIFY(all.header.contains("pratiche_da_ultimo_accesso"));

    const ServiceReply perfected = post(path, { { "search_lp_stato", "5" } }, ready);
    QVERIFY(perfected.header["risultati"].toInt() < all.header["risultati"].toInt());
    for (const auto& row : perfected.rows) {
        QCOMPARE(row["stato_id"], "5");
        QVERIFY(!row["data_perf"].isEmpty());
    }
    const QDate today = QDate::currentDate();
    const ServiceReply dated = post(path,
        { { "search_lp_delibc_dal", today.addMonths(-4).toString("dd/MM/yyyy") },
            { "search_lp_delibc_al", today.addMonths(-2).toString("dd/MM/yyyy") },
            { "ord", "delib" }, { "dir", "1" } },
        ready);
    QVERIFY(!dated.rows.isEmpty());
    for (int i = 1; i < dated.rows.size(); ++i)
        QVERIFY(dated.rows[i]["data_delib_c_ord"] >= dated.rows[i - 1]["data_delib_c_ord"]);
    const ServiceReply byAmount = post(path, { { "ord", "importo" }, { "dir", "0" } }, ready);
    const auto euros = [](const QString& text) {
        return QString(text).remove('.').replace(',', '.').toDouble();
    };
    for (int i = 1; i < byAmount.rows.size(); ++i)
        QVERIFY(euros(byAmount.rows[i - 1]["importo"]) >= euros(byAmount.rows[i]["importo"]));
    walk(ready, { { path, { { "search_lp_stato", "99" } }, "10" } });
}

void TestTessaroServer::sqlMetacharactersMatchLiterally()
{
    // Guards against filter text reaching SQL as code or as LIKE wildcards.
    QList<std::pair<QString, QString>> filters { { "search/report/03111", "search_lp_banca" } };
    for (const char* field : { "ragsoc", "comune", "provincia", "picf" })
        filters.append({ "search/lista_imprese/03111", QString("search_li_") + field });
    for (const char* field :
        { "impr", "numero", "delibc_dal", "delibc_al", "fin", "banca", "stato" })
        filters.append({ "search/pratiche/03111", QString("search_lp_") + field });
    for (const auto& [path, field] : qAsConst(filters)) {
        for (const char* text :
            { "%", "_", "' OR '1'='1", "\\", "x'); DROP TABLE positions; --" }) {
            const ServiceReply reply = post(path, { { field, text }, { "start", "0" } }, ready);
            // Date filters ignore text that is not a date; every other filter finds nothing.
            const QString code = field.contains("delibc") ? "0" : "10";
            QVERIFY2(reply.status == 200 && reply.resultCode() == code,
                qPrintable(field + ' ' + text + ": " + reply.resultCode()));
        }
    }
    QVERIFY(query("SELECT COUNT(*) FROM positions").toInt() > 4000);
}

void TestTessaroServer::reportsAndDownloads()
{
    // Guards against report dates outside the range, and downloads of the wrong kind.
    const ServiceReply reports = post("search/report/03111", {}, ready);
    QCOMPARE(reports.header["risultati"].toInt(), reports.rows.size());
    QString emptyFile;
    QString fullFile;
    for (const auto& row : reports.rows) {
        QCOMPARE(row["banca_abi_id"], "03111");
        (row["vuoto"] == "1" ? emptyFile : fullFile) = row["report_file_id"];
    }
    QVERIFY(!emptyFile.isEmpty() && !fullFile.isEmpty());

    const QString download = "search/download_report/03111";
    // Files come as themselves, not as an XML page; a missing or foreign one as that page.
    const ServiceReply full = post(download, { { "file", fullFile } }, ready);
    QVERIFY2(full.status == 200 && !full.contentType.startsWith("text/html"), full.body);
    QVERIFY(full.body.startsWith("Report;"));
    const ServiceReply empty = post(download, { { "file", emptyFile } }, ready);
    QVERIFY(!empty.contentType.startsWith("text/html") && empty.body.isEmpty());
    walk(ready,
        { { download, { { "file", "1" } }, "10" },
            { "search/download_report/06333", { { "file", fullFile } }, "10" } });
}

void TestTessaroServer::positionDetailAndPlan()
{
    // Guards against missing detail fields, wrong bank or LCR, and a plan not repaying the loan.
    const QString id = query("SELECT id FROM positions WHERE state_id = 6 AND abi = '03111' AND "
                             "consortium_id = 1 LIMIT 1");
    const Fields key { { "pratica_ft_id", id },
        { "lcr", query("SELECT lcr FROM positions WHERE id = " + id) } };
    const ServiceReply detail = post("search/dett_pratica/03111", key, ready);
    QCOMPARE(detail.rows.size(), 1);
    QCOMPARE(detail.rows.first().size(), 40);
    QVERIFY(!detail.value("ES_data_conclusione").isEmpty());
    walk(ready,
        { { "search/dett_pratica/03111", { { "pratica_ft_id", id }, { "lcr", "0000/1" } }, "10" },
            { "search/dett_pratica/05222", key, "10" } });

    const ServiceReply plan = post("search/ft_piano_amm/03111", key, ready);
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

    const ServiceReply pdf = post(
        "search/download_posizione/03111", { { "pft_id", id }, { "lcr", key["lcr"] } }, ready);
    QCOMPARE(pdf.contentType, "application/pdf");
    QVERIFY(pdf.body.startsWith("%PDF-1.") && pdf.body.trimmed().endsWith("%%EOF"));
    QVERIFY(pdf.body.contains(query("SELECT qrv_code FROM positions WHERE id = " + id).toLatin1()));

    // A position alone in its file has no related forms.
    const QString siblings = query("SELECT COUNT(*) FROM positions WHERE position_number = "
                                   "(SELECT position_number FROM positions WHERE id = "
        + id + ")");
    walk(ready, { { "search/ft_collegate/03111", key, siblings == "1" ? "10" : "0" } });
}

void TestTessaroServer::companyRecord()
{
    // Guards against the company record's fields and its links to merged records.
    const QString merged = query(
        "SELECT id FROM companies WHERE successor_id IS NOT NULL AND consortium_id = 1 LIMIT 1");
    const QString successor = query("SELECT successor_id FROM companies WHERE id = " + merged);
    const QString path = "search/i_anag/03111";
    const ServiceReply record = post(path, { { "i_anag", merged } }, ready);
    QCOMPARE(record.rows.first().size(), 18);
    QVERIFY(!record.value("data_sostituzione").isEmpty());
    // A company of the consortium with no position at the bank is not shown there.
    const QString elsewhere = query("SELECT id FROM companies c WHERE consortium_id = 1 AND "
                                    "predecessor_id IS NULL AND successor_id IS NULL AND NOT "
                                    "EXISTS (SELECT 1 FROM positions p WHERE p.company_id = c.id "
                                    "AND p.abi = '03111') LIMIT 1");
    QVERIFY(!elsewhere.isEmpty());
    const QString foreign = query("SELECT id FROM companies WHERE consortium_id = 2 LIMIT 1");
    walk(ready,
        { { path, { { "i_anag", merged } }, "0", { { "anag_succ", successor } } },
            { path, { { "i_anag", successor } }, "0", { { "anag_prec", merged } } },
            { path, { { "i_anag", elsewhere } }, "10" },
            { path, { { "i_anag", foreign } }, "10" } });
}

void TestTessaroServer::tickets()
{
    // Guards against the ticket list's filters, the conversation order and inserted text.
    const ServiceReply all = post("home/ticket", { { "search_stato", "0" } }, ready);
    QCOMPARE(all.header["n_result"].toInt(), all.rows.size());
    QVERIFY(all.rows.size() >= 20);
    walk(ready,
        { { "home/ticket_mail_utente", {}, "0", { { "email", "giulia.ferraresi@example.it" } } } });

    const QString subject = "Perché il report è vuoto?";
    const QString text = "Buongiorno, il file di aprile è vuoto. Città: Forlì.";
    const QString code = post("home/ticketIns",
        { { "dati_t", ticketDocument({}, subject, text, "avvisi@example.it") } }, ready)
                             .value("codice_ticket");
    QVERIFY(code.startsWith("TK-"));
    const ServiceReply after = post("home/ticket", {}, ready);
    QCOMPARE(after.rows.size(), all.rows.size() + 1);
    QCOMPARE(after.rows.first()["codice"], code);
    QCOMPARE(after.rows.first()["oggetto"], subject);
    const QString ticketId = after.rows.first()["ticket_id"];

    const QString added = "Aggiungo un dettaglio: è urgente.";
    walk(ready,
        { { "home/ticketIns", { { "dati_t", ticketDocument(ticketId, {}, added) } }, "0",
            { { "codice_ticket", "" } } } });
    const ServiceReply detail = post("home/ticket_dett", { { "ticket", ticketId } }, ready);
    QCOMPARE(detail.rows.size(), 2);
    QCOMPARE(detail.rows[0]["testo"], text);
    QCOMPARE(detail.rows[1]["testo"], added);
    QVERIFY(QDateTime::fromString(detail.rows[1]["data_msg"], "dd/MM/yyyy HH:mm:ss").isValid());

    walk(fullSession(account("second consortium")),
        { { "home/ticket_dett", { { "ticket", ticketId } }, "10" },
            { "home/ticketIns", { { "dati_t", ticketDocument(ticketId, {}, "intrusione") } },
                "10" } });
}

void TestTessaroServer::requestBodies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("code");
    const auto form = [](const QString& document, const QByteArray& extra = {}) {
        return ServiceClient::encodeForm({ { "dati_t", document } }) + extra;
    };
    const auto latin = [](const QByteArray& text) { return QString::fromLatin1(text.toBase64()); };
    const auto ticket = [&](const QByteArray& fields) {
        return form(latin("<?xml version=\"1.0\"?><dati_ticket><ticket><ticket_id></ticket_id>"
            + fields + "</ticket></dati_ticket>"));
    };
    // Three bytes a character in UTF-8: the largest text a ticket may carry.
    QTest::newRow("largest ticket")
        << form(ticketDocument({}, "Lungo", QString(20000, QChar(0x20AC)))) << "0";
    QTest::newRow("oversized form") << form({}, "&x=" + QByteArray(300 * 1024, 'a')) << "318";
    QTest::newRow("invalid UTF-8 in a field")
        << form(ticketDocument({}, "Oggetto", "Testo"), "&nota=%C3%28") << "318";
    QTest::newRow("invalid UTF-8 in the ticket") << ticket("<oggetto>T2dnZXR0bw==</oggetto><testo>"
        + QByteArray("Testo \xff\xfe").toBase64() + "</testo>")
                                                 << "318";
    QTest::newRow("missing document") << form({}) << "318";
    QTest::newRow("not base64") << form("%%%not base64%%%") << "318";
    QTest::newRow("not xml") << form(latin("just text")) << "318";
    QTest::newRow("wrong root") << form(
        latin("<?xml version=\"1.0\"?><ticket><ticket_id/></ticket>"))
                                << "318";
    QTest::newRow("plain field value")
        << ticket("<oggetto>Ciao!</oggetto><testo>dGVzdG8=</testo>") << "318";
    QTest::newRow("empty text") << form(ticketDocument({}, "Oggetto", "   ")) << "318";
    QTest::newRow("new ticket without subject") << form(ticketDocument({}, {}, "Testo")) << "318";
}

void TestTessaroServer::requestBodies()
{
    // Guards against large tickets refused, and oversized, non-UTF-8 or malformed ones stored.
    QFETCH(QByteArray, body);
    QFETCH(QString, code);
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
    QCOMPARE(query("SELECT COUNT(*) FROM tickets").toInt(), before + (code == "0" ? 1 : 0));
}

void TestTessaroServer::versionCheckAndUpdate()
{
    // Guards against version check and download disagreeing, and unsigned releases going out.
    walk(ready,
        { { "home/version_check", {}, "0", { { "0", "" }, { "1", "5.2.0.0" } } },
            { "home/download_upd", { { "file", "CorvaneWin" }, { "vers", "5.2.0.0" } }, "10" } });
    QTemporaryFile archive;
    const QByteArray bytes = QByteArray("PK\x03\x04 demo archive ") + QByteArray(5000, 'z');
    QVERIFY(archive.open() && archive.write(bytes) == bytes.size() && archive.flush());
    // No release goes out unsigned (the signature itself is checked by the client on download).
    int published = -1;
    int refused = -1;
    const QStringList publish { "publish-update", "--archive", archive.fileName(), "--version" };
    server->runTool(publish + QStringList { "5.3.0.0" }, &published);
    server->runTool(
        publish + QStringList { "5.4.0.0", "--signing-key", archive.fileName() }, &refused);
    QCOMPARE(QString("%1 %2").arg(published).arg(refused), "0 1");
    const ServiceReply after = post("home/version_check", {}, ready);
    QCOMPARE(after.value("0") + ' ' + after.value("1"),
        QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex() + " 5.3.0.0");
    QVERIFY(!after.value("2").isEmpty());
    const ServiceReply file
        = post("home/download_upd", { { "file", "CorvaneWin" }, { "vers", "5.3.0.0" } }, ready);
    QCOMPARE(file.contentType, "application/zip");
    QCOMPARE(file.body, bytes);
}

void TestTessaroServer::dataFolder()
{
    // Guards against secrets readable by other users, and a write-ahead log never checkpointed.
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

    const QString document = ticketDocument({}, "Registro", QString(3000, 'x'));
    const QString wal = server->getDataDirectory() + "/tessaro.sqlite-wal";
    qint64 largest = 0;
    for (int i = 0; i < 1500; ++i) {
        QCOMPARE(post("home/ticketIns", { { "dati_t", document } }, ready).resultCode(), "0");
        if (i % 100 == 99)
            largest = std::max(largest, QFileInfo(wal).size());
    }
    // 1,500 tickets write well over 10 MB of pages; a checkpointed log stays near its 4 MB limit.
    QVERIFY2(largest < 9 * 1024 * 1024, qPrintable(QString::number(largest)));
}

void TestTessaroServer::codeGuessingIsLimited_data()
{
    addRows({ "user", "setup", "verb", "field", "wrongCode" },
        { { "password", "no bank", "", "login_account", "password", "9" },
            { "two-factor code", "second consortium", "", "autenticazione_two_fa", "twofa_token",
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
    // Guards against guessed passwords and codes: five wrong a minute, then none, for that user.
    QFETCH(QString, user);
    QFETCH(QString, setup);
    QFETCH(QString, verb);
    QFETCH(QString, field);
    QFETCH(QString, wrongCode);
    const QString code = account(user);
    if (!setup.isEmpty())
        QCOMPARE(query(setup.arg(code), true), "ok");
    // A password is guessed at sign-in, a code within a session.
    const bool password = field == "password";
    const Tokens tokens { password ? QString() : login(code), {} };
    const QString right = password     ? "Corvane.Demo.2024"
        : verb == "attivazione_codice" ? "135791"
                                       : totp(code);
    const auto attempt = [&](const QString& value) {
        Fields fields { { field, value } };
        if (password)
            fields.insert(
                { { "cf_utente", code }, { "cf_confidi", server->getConsortiumOf(code) } });
        return post("home/" + verb, fields, tokens);
    };
    for (int i = 0; i < 5; ++i)
        QCOMPARE(attempt(otherCode(right)).resultCode(), wrongCode);
    const ServiceReply refused = attempt(right);
    QCOMPARE(refused.status, 403);
    QCOMPARE(refused.resultCode(), "201");
    QVERIFY(refused.rows.isEmpty());
    QVERIFY(!login(account("ready")).isEmpty());
    // Five wrong tries use an activation code up.
    if (verb == "attivazione_codice")
        QCOMPARE(
            query("SELECT activation_expires FROM users WHERE fiscal_code = '" + code + "'"), "0");
}

void TestTessaroServer::floodsFromOneAddress()
{
    // Guards against parallel or sprayed guesses, endless accounts or mails, header injection.
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
        const QString result = post("home/login_account",
            { { "cf_utente", unknown }, { "cf_confidi", consortium },
                { "password",
                    "guess" } }).resultCode();
        QVERIFY(result == "9" || result == "201");
        sprayChecked += result == "9" ? 1 : 0;
    }
    QVERIFY2(sprayChecked <= 25, qPrintable(QString::number(sprayChecked)));

    const QDir outbox(server->getDataDirectory() + "/outbox");
    const int usersBefore = query("SELECT COUNT(*) FROM users").toInt();
    const int mailsBefore = outbox.entryList(QDir::Files).size();
    int created = 0;
    int refused = 0;
    for (int i = 0; i < 50; ++i) {
        const QString result = post("home/richiesta_credenziali_utente",
            { { "cf_confidi", "28461530157" }, { "nome", "Mario\nTo: vittima@example.it" },
                { "cognome", "Rossi" },
                { "cf_utente", QString("RSSMRA80A01H%1Z").arg(i, 3, 10, QChar('0')) },
                { "email_utente", "m.rossi@example.it" } })
                                   .resultCode();
        created += result == "0" ? 1 : 0;
        refused += result == "201" ? 1 : 0;
    }
    QVERIFY(created >= 1 && created <= 10);
    QCOMPARE(created + refused, 50);
    QCOMPARE(query("SELECT COUNT(*) FROM users").toInt(), usersBefore + created);
    QCOMPARE(outbox.entryList(QDir::Files).size(), mailsBefore + 2 * created);
    for (const QString& name : outbox.entryList({ "*.txt" }, QDir::Files)) {
        QFile mail(outbox.filePath(name));
        QVERIFY2(mail.open(QIODevice::ReadOnly) && !mail.readAll().contains("\nTo: vittima"),
            qPrintable(name));
    }

    const Fields confidi { { "cf_confidi", "28461530157" } };
    int answered = 0;
    for (int i = 0; i < 30; ++i)
        answered += post("home/richiesta_credenziali_confidi", confidi).resultCode() == "0" ? 1 : 0;
    QVERIFY(answered <= 10);
}

QTEST_GUILESS_MAIN(TestTessaroServer)
#include "tst_tessaroserver.moc"
