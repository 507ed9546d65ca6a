#include "commands/login.h"

#include "commands/recordvalues.h"

namespace Corvane::Command {

Login::Login(Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/login_account"), parameters)
{
}

void Login::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    // Any result but OK is a failed login (wrong credentials, too many attempts, malformed
    // fields), and so is an OK without a token: a refused login must never be taken for a session.
    token = lastRecordValue(dataRows, QStringLiteral("0"));
    success = isCompleteSuccess(decodedReply, token);
    resultCode = decodedReply.value(QStringLiteral("esito_id")).toInt();
    accepter->manageAuthenticationResult(this);
}

}
