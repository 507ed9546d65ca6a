#pragma once

#include "app/applicationmanager.h"
#include "support/testclient.h"
#include "support/testserver.h"

#include <QObject>
#include <QString>

#include <memory>

class QWidget;

namespace Corvane::Test {

/// Server paths the login and account dialogs lead to.
namespace Path {
    inline const QString login = QStringLiteral("/corvane/v5/home/login_account");
    inline const QString init = QStringLiteral("/corvane/v5/home/init");
    inline const QString requestCredentialConfidi
        = QStringLiteral("/corvane/v5/home/richiesta_credenziali_confidi");
    inline const QString requestCredentialAccount
        = QStringLiteral("/corvane/v5/home/richiesta_credenziali_utente");
    inline const QString sendPrivacy = QStringLiteral("/corvane/v5/home/send_privacy");
    inline const QString requestActivationCode
        = QStringLiteral("/corvane/v5/home/attivazione_codice");
    inline const QString twoFaActivation = QStringLiteral("/corvane/v5/home/attivazione_two_fa");
    inline const QString twoFaFirstAuthentication
        = QStringLiteral("/corvane/v5/home/prima_autenticazione_two_fa");
    inline const QString twoFaAuthentication
        = QStringLiteral("/corvane/v5/home/autenticazione_two_fa");
    inline const QString changePassword = QStringLiteral("/corvane/v5/home/cambio_password");
}

/// A real flow manager pointed at the scripted test server, in a temporary working directory:
/// the dialogs under test are the manager's own, and what they send is read back from the
/// server's record.
class DialogTest : public QObject {
    Q_OBJECT
protected:
    void setUpDialogTest();
    void tearDownDialogTest();

    /// An XML reply with a result code and, for each given field, a record carrying it as the
    /// server does (its key as "id", its value as "descr").
    static QByteArray replyWithCode(
        int code, const QList<QPair<QString, QString>>& recordFields = {});
    /// Sets the account's stored credential, what the login window refills from.
    void storeCredential(
        const QString& cfUtente, const QString& cfConfidi, const QString& password);
    /// Waits for the command queue to empty; false on time-out.
    bool waitUntilIdle();
    /// The common cleanup: lets the last request finish and hides every window.
    void finishTest();
    /// The form of the last request to the path, without the fields every request carries
    /// ("cmd", "vers", "XDEBUG_SESSION"); empty when none was made.
    QMap<QString, QString> lastForm(const QString& path) const;
    int requestsTo(const QString& path) const;
    /// Writes keys into the focused widget, the way a user types.
    static void type(QWidget* widget, const QString& text);

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

}
