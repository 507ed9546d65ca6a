#include "commands/requestactivationcode.h"

namespace Corvane::Command {

RequestActivationCode::RequestActivationCode(
    Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : accepter(accepter)
    , parameters(parameters)
{
}

QString RequestActivationCode::getPath() const
{
    return QStringLiteral("/corvane/v5/home/attivazione_codice");
}

void RequestActivationCode::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    success = true;
    accepter->manageAuthenticationResult(this);
}

}
