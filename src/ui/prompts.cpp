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

namespace {
    /// A box whose text, which carries what the connection reported (certificate names
    /// included), is never read as markup.
    void showPlain(
        QMessageBox::Icon icon, QWidget* parent, const QString& title, const QString& text)
    {
        QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
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
        showPlain(QMessageBox::Warning, QApplication::activeWindow(),
            QStringLiteral("Errore durante la connessione al server"),
            QStringLiteral(
                "La connessione ha restituito un errore. Questo potrebbe essere dovuto ad "
                "un problema momentaneo.\nRiprova o contatta l'amministratore di "
                "sistema.\nCODE: ")
                + detail);
        break;
    case NetworkManager::FatalError::TlsFailed:
        showPlain(QMessageBox::Critical, nullptr, QStringLiteral("Errore SSL/TLS"), detail);
        break;
    }
}

}
