#pragma once

#include <QString>

/// The Italian texts that more than one window, or a window and the flow behind it, show.
namespace Corvane::Text {

inline const QString accountActivation = QStringLiteral("Attivazione account");
inline const QString accountAuthentication = QStringLiteral("Autenticazione account");
inline const QString credentialRequest = QStringLiteral("Richiesta credenziali");
inline const QString validationFailed
    = QStringLiteral("Errore validazione dati. Ripetere inserimento.");
inline const QString tooManyCredentialRequests
    = QStringLiteral("Sono state inviate troppe richieste di credenziali. Riprova più tardi.");
inline const QString tooManyAttempts
    = QStringLiteral("Sono stati effettuati troppi tentativi falliti, riprova fra 1 minuto");
inline const QString serverErrorTitle = QStringLiteral("Errore nella risposta del server");

}
