#include "commands/init.h"

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

}
