#include "commands/twofafirstauthentication.h"

#include "commands/recordvalues.h"

namespace Corvane::Command {

TwoFaFirstAuthentication::TwoFaFirstAuthentication(
    Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : ReportingCommand(
        accepter, QStringLiteral("/corvane/v5/home/prima_autenticazione_two_fa"), parameters)
{
}

void TwoFaFirstAuthentication::useResponse(
    QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    result = lastRecordValue(dataRows, QStringLiteral("0"));
    success = isCompleteSuccess(decodedReply, result);
    accepter->manageAuthenticationResult(this);
}

}
