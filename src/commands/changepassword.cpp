#include "commands/changepassword.h"

namespace Corvane::Command {

ChangePassword::ChangePassword(Interface::ChangePasswordResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/cambio_password"), parameters)
{
}

void ChangePassword::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    accepter->manageChangePasswordResult(this);
}

}
