#pragma once

#include "commands/reportingcommand.h"
#include "protocol/authenticationresultaccepterinterface.h"

namespace Corvane::Command {

/// Switches two-factor authentication on: the reply carries the QR code to scan.
/// Created by the flow manager for one request; reports to it.
class TwoFaActivation final
    : public ReportingCommand<Interface::AuthenticationResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    explicit TwoFaActivation(Interface::AuthenticationResultAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }
    QString getActivationData() const { return activationData; }

private:
    bool success = false;
    QString activationData;
};

}
