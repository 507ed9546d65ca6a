#include "commands/requestpassword.h"

namespace Corvane::Command {

RequestPassword::RequestPassword(Interface::ChangePasswordResultAccepterInterface* accepter)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/richiesta_password"))
{
}

void RequestPassword::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    accepter->manageRequestPasswordResult(this);
}

}
