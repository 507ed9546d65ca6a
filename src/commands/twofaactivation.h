#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/authenticationresultaccepterinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Switches two-factor authentication on: the reply carries the QR code to scan.
/// Created by the flow manager for one request; reports to it.
class TwoFaActivation final : public QObject,
                              public Interface::CommandInterface,
                              public Interface::AuthenticatedCommandInterface,
                              public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    explicit TwoFaActivation(Interface::AuthenticationResultAccepterInterface* accepter);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }
    QString getActivationData() const { return activationData; }

private:
    Interface::AuthenticationResultAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    bool success = false;
    QString activationData;
};

}
