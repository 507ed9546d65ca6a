#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/logoutresultaccepterinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Closes the session on the server.
/// Created by the flow manager for one request; reports to it.
class Logout final : public QObject,
                     public Interface::CommandInterface,
                     public Interface::AuthenticatedCommandInterface,
                     public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    explicit Logout(Interface::LogoutResultAccepterInterface* accepter);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }

private:
    Interface::LogoutResultAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    bool success = false;
};

}
