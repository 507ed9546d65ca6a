#include "commands/requestcredentialaccount.h"

namespace Corvane::Command {

RequestCredentialAccount::RequestCredentialAccount(
    Interface::RequestCredentialResponseAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : CredentialRequest(
        accepter, QStringLiteral("/corvane/v5/home/richiesta_credenziali_utente"), parameters)
{
}

void RequestCredentialAccount::report() { accepter->manageCredentialRequestResult(this); }

}
