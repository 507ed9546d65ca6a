#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/authenticationresultaccepterinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Activates a new account with the code sent to the consortium's certified mail.
/// Created by the flow manager for one request; reports to it.
class RequestActivationCode final : public QObject,
                                    public Interface::CommandInterface,
                                    public Interface::AuthenticatedCommandInterface,
                                    public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    RequestActivationCode(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }

private:
    Interface::AuthenticationResultAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    bool success = false;
};

}
