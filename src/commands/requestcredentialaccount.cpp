#include "commands/requestcredentialaccount.h"

namespace Corvane::Command {

RequestCredentialAccount::RequestCredentialAccount(
    Interface::RequestCredentialResponseAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : CredentialRequest(
        accepter, QStringLiteral("/corvane/v5/home/richiesta_credenziali_utente"), parameters)
{
}

void RequestCredentialAccount::useResponse(
    QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    readReply(decodedReply, dataRows);
    accepter->manageCredentialRequestResult(this);
}

}
