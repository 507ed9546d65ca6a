#include "commands/sendprivacy.h"

#include "commands/recordvalues.h"

namespace Corvane::Command {

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
