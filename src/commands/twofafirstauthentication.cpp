#include "commands/twofafirstauthentication.h"

#include "commands/recordvalues.h"

namespace Corvane::Command {

TwoFaFirstAuthentication::TwoFaFirstAuthentication(
    Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : accepter(accepter)
    , parameters(parameters)
{
}

QString TwoFaFirstAuthentication::getPath() const
{
    return QStringLiteral("/corvane/v5/home/prima_autenticazione_two_fa");
}

void TwoFaFirstAuthentication::useResponse(
    QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    result = lastRecordValue(dataRows, QStringLiteral("0"));
    success = isCompleteSuccess(decodedReply, result);
    accepter->manageAuthenticationResult(this);
}

}
