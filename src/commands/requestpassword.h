#pragma once

#include "commands/reportingcommand.h"
#include "protocol/changepasswordresultaccepterinterface.h"

namespace Corvane::Command {

/// Asks the server to mail the user a new password.
/// Created by the flow manager for one request; reports to it.
class RequestPassword final
    : public ReportingCommand<Interface::ChangePasswordResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    explicit RequestPassword(Interface::ChangePasswordResultAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
};

}
