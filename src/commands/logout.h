#pragma once

#include "commands/formcommand.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/logoutresultaccepterinterface.h"
#include "protocol/noabicommandinterface.h"

namespace Corvane::Command {

/// Closes the session on the server.
/// Created by the flow manager for one request; reports to it.
class Logout final : public ReportingCommand<Interface::LogoutResultAccepterInterface>,
                     public Interface::AuthenticatedCommandInterface,
                     public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    explicit Logout(Interface::LogoutResultAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }

private:
    bool success = false;
};

}
