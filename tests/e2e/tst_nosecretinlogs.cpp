#include "app/applicationmanager.h"
#include "e2esession.h"
#include "network/networktesthelpers.h"
#include "support/testenvironment.h"
#include "ui/positionwindow.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QtTest>

#include <unistd.h>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

/// A sign-in and a search through a proxy with a password; then every log is read for secrets.
class TestNoSecretInLogs final : public QObject {
    Q_OBJECT
private slots:
    void noSecretInAnyLog();
};

void TestNoSecretInLogs::noSecretInAnyLog()
{
    // Guards against a password, token or two-factor code in the client's or server's logs.
    TestEnvironment::enterTemporaryWorkingDirectory();
    // The client's standard error goes to a file for the length of the run.
    QTemporaryFile standardError;
    QVERIFY(standardError.open());
    const int savedError = ::dup(STDERR_FILENO);
    QVERIFY(savedError >= 0);
    QVERIFY(::dup2(standardError.handle(), STDERR_FILENO) >= 0);
    struct RestoreError {
        int saved;
        ~RestoreError()
        {
            ::dup2(saved, STDERR_FILENO);
            ::close(saved);
        }
    } restoreError { savedError };

    ProxyProcess proxy;
    QVERIFY(proxy.start(ProxyProcess::Kind::Http, proxyUser, proxyPassword));
    writeConfig(networkKeys(QStringLiteral("http"), QStringLiteral("127.0.0.1"), proxy.port(),
        proxyUser, proxyPassword));

    QString error;
    const std::unique_ptr<ServerProcess> server
        = startDemoServer(QStringLiteral(TESSARO_SERVER_PATH), error);
    QVERIFY2(server, qPrintable(error));
    QStringList secrets { demoPassword, proxyPassword };
    QStringList codes;
    {
        E2eSession session(server.get());
        const QString user = session.userFor(QStringLiteral("ready, two-factor active"));
        QVERIFY(!user.isEmpty());
        // The code typed is one of the codes current before and after the sign-in.
        codes << session.currentCode(user);
        QVERIFY(session.signInReadyUser());
        codes << session.currentCode(user);

        // Requests that carry both tokens.
        PositionWindow* list = session.application()->getPositionWindow();
        list->open();
        QTRY_VERIFY_WITH_TIMEOUT(child<QComboBox>(list, "status")->count() > 2, 20000);
        QVERIFY(search(list, "searchButton") >= 0);
        for (const char* file : { "auth.txt", "twofa.txt" }) {
            const QString token
                = QString::fromUtf8(readAll(sessionFile(QLatin1String(file))).trimmed());
            QVERIFY2(token.size() >= 16, file);
            secrets << token;
        }
        session.stopClient();
    }
    QCOMPARE(server->stop(), 0);
    // The proxy did carry the run, so its password was sent.
    QVERIFY(proxy.log().contains(QLatin1String("localhost")));

    ::fflush(stderr);
    const QList<QPair<QString, QByteArray>> logs {
        { QStringLiteral("corvane2.log"), readAll(QStringLiteral("corvane2.log")) },
        { QStringLiteral("standard error"), readAll(standardError.fileName()) },
        { QStringLiteral("server log"), server->getOutput() },
    };
    for (const auto& [name, text] : logs) {
        // An empty log would pass for a clean one.
        QVERIFY2(text.count('\n') > 10, qPrintable(name));
        for (const QString& secret : secrets) {
            QVERIFY(!secret.isEmpty());
            // Only the secret's length is shown, so a failure does not print it either.
            QVERIFY2(!text.contains(secret.toUtf8()),
                qPrintable(QStringLiteral("%1 holds a secret of %2 characters")
                               .arg(name)
                               .arg(secret.size())));
        }
        // Six digits may come by chance inside a longer number; a code stands alone.
        const QString lines = QString::fromUtf8(text);
        for (const QString& code : codes) {
            QCOMPARE(code.size(), 6);
            QVERIFY2(!lines.contains(
                         QRegularExpression(QStringLiteral("(?<![0-9])%1(?![0-9])").arg(code))),
                qPrintable(name + QStringLiteral(" holds a two-factor code")));
        }
    }
}

QTEST_MAIN(TestNoSecretInLogs)
#include "tst_nosecretinlogs.moc"
