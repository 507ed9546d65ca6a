#include "commands/twofaauthentication.h"

#include "commands/recordvalues.h"

namespace Corvane::Command {

TwoFaAuthentication::TwoFaAuthentication(Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : ReportingCommand(
        accepter, QStringLiteral("/corvane/v5/home/autenticazione_two_fa"), parameters)
{
}

void TwoFaAuthentication::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    token = lastRecordValue(dataRows, QStringLiteral("0"));
    success = isCompleteSuccess(decodedReply, token);
    accepter->manageAuthenticationResult(this);
}

}
