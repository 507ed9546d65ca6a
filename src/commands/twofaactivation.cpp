#include "commands/twofaactivation.h"

#include "commands/recordvalues.h"

namespace Corvane::Command {

TwoFaActivation::TwoFaActivation(Interface::AuthenticationResultAccepterInterface* accepter)
    : ReportingCommand(accepter, QStringLiteral("/corvane/v5/home/attivazione_two_fa"))
{
}

void TwoFaActivation::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    success = true;
    activationData = lastRecordValue(dataRows, QStringLiteral("0"));
    accepter->manageAuthenticationResult(this);
}

}
