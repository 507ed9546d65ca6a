#pragma once

#include "commands/reportingcommand.h"
#include "protocol/authenticationresultaccepterinterface.h"

namespace Corvane::Command {

/// Activates a new account with the code sent to the consortium's certified mail.
/// Created by the flow manager for one request; reports to it.
class RequestActivationCode final
    : public ReportingCommand<Interface::AuthenticationResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    RequestActivationCode(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }

private:
    bool success = false;
};

}
