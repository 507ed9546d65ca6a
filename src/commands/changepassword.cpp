#include "commands/changepassword.h"

namespace Corvane::Command {

ChangePassword::ChangePassword(Interface::ChangePasswordResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : accepter(accepter)
    , parameters(parameters)
{
}

QString ChangePassword::getPath() const
{
    return QStringLiteral("/corvane/v5/home/cambio_password");
}

void ChangePassword::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    accepter->manageChangePasswordResult(this);
}

}
