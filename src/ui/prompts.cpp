#include "ui/prompts.h"

#include "ui/servertextbox.h"
#include "ui/texts.h"

#include <QApplication>
#include <QMessageBox>

namespace Corvane::Prompt {

void inform(const QString& title, const QString& text)
{
    QMessageBox::information(QApplication::activeWindow(), title, text, QMessageBox::Ok);
}

void askToCloseAfterServerError(const QString& message)
{
    QMessageBox box(QMessageBox::Warning, Text::serverErrorTitle, QString(),
        QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    // The description is the server's text, shown as it is.
    setServerText(box, message, QStringLiteral("Vuoi chiudere Corvane?"));
    box.setDefaultButton(QMessageBox::NoButton);
    if (box.exec() == QMessageBox::Yes)
        QCoreApplication::exit(1);
}

void showNetworkError(NetworkManager::FatalError error, const QString& detail)
{
    switch (error) {
    case NetworkManager::FatalError::ProxyAuthenticationRequired:
        QMessageBox::critical(QApplication::activeWindow(),
            QStringLiteral("Autenticazione Proxy necessaria"),
            QStringLiteral(
                "Il proxy utilizzato per la connessione di rete richiede l'autenticazione "
                "tramite username e password.\nSe non possiedi le credenziali contatta "
                "il tuo amministratore di rete."),
            QMessageBox::Ok);
        break;
    case NetworkManager::FatalError::ConnectionFailed:
        QMessageBox::warning(QApplication::activeWindow(),
            QStringLiteral("Errore durante la connessione al server"),
            QStringLiteral(
                "La connessione ha restituito un errore. Questo potrebbe essere dovuto ad "
                "un problema momentaneo.\nRiprova o contatta l'amministratore di "
                "sistema.\nCODE: ")
                + detail,
            QMessageBox::Ok);
        break;
    case NetworkManager::FatalError::TlsFailed:
        QMessageBox::critical(nullptr, QStringLiteral("Errore SSL/TLS"), detail, QMessageBox::Ok);
        break;
    }
}

}
