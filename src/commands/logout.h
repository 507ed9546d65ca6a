#pragma once

#include "commands/reportingcommand.h"
#include "protocol/logoutresultaccepterinterface.h"

namespace Corvane::Command {

/// Closes the session on the server.
/// Created by the flow manager for one request; reports to it.
class Logout final
    : public ReportingCommand<Interface::LogoutResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    explicit Logout(Interface::LogoutResultAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }

private:
    bool success = false;
};

}
