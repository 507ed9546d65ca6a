#include "commands/requestcredentialconfidi.h"

namespace Corvane::Command {

RequestCredentialConfidi::RequestCredentialConfidi(
    Interface::RequestCredentialResponseAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : CredentialRequest(
        accepter, QStringLiteral("/corvane/v5/home/richiesta_credenziali_confidi"), parameters)
{
}

void RequestCredentialConfidi::report() { accepter->manageCredentialRequestResult(this); }

}
