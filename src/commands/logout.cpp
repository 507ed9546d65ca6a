#include "commands/logout.h"

namespace Corvane::Command {

Logout::Logout(Interface::LogoutResultAccepterInterface* accepter)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/logout"))
{
}

void Logout::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    success = true;
    accepter->manageLogoutResult(this);
}

}
