#include "commands/accountcommands.h"

#include "commands/recordvalues.h"
#include "commands/systemparameters.h"

namespace Corvane::Command {

Init::Init(Interface::AccountSettingsAccepterInterface* accepter)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/init"), systemParameters())
{
}

void Init::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    confidiId = lastRecordValue(dataRows, QStringLiteral("0")).toDouble();
    confidiCompanyName = lastRecordValue(dataRows, QStringLiteral("1"));
    username = lastRecordValue(dataRows, QStringLiteral("2"));
    lastAccess = lastRecordValue(dataRows, QStringLiteral("3"));
    accepter->setAccount(this);
}

Logout::Logout(Interface::LogoutResultAccepterInterface* accepter)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/logout"))
{
}

void Logout::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    success = true;
    accepter->manageLogoutResult(this);
}

ChangePassword::ChangePassword(Interface::ChangePasswordResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/cambio_password"), parameters)
{
}

void ChangePassword::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    accepter->manageChangePasswordResult(this);
}

RequestPassword::RequestPassword(Interface::ChangePasswordResultAccepterInterface* accepter)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/richiesta_password"))
{
}

void RequestPassword::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    accepter->manageRequestPasswordResult(this);
}

SendPrivacy::SendPrivacy(Interface::SendPrivacyResponseAccepterInterface* accepter)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/send_privacy"))
{
}

void SendPrivacy::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    privacyText = lastRecordValue(dataRows, QStringLiteral("testo_privacy"));
    accepter->setPrivacy(this);
}

}
