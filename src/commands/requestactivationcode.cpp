#include "commands/requestactivationcode.h"

namespace Corvane::Command {

RequestActivationCode::RequestActivationCode(
    Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/attivazione_codice"), parameters)
{
}

void RequestActivationCode::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    success = true;
    accepter->manageAuthenticationResult(this);
}

}
