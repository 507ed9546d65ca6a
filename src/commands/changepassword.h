#pragma once

#include "commands/reportingcommand.h"
#include "protocol/changepasswordresultaccepterinterface.h"

namespace Corvane::Command {

/// Replaces the user's password ("old_password", "new_password").
/// Created by the flow manager for one request; reports to it.
class ChangePassword final
    : public ReportingCommand<Interface::ChangePasswordResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    ChangePassword(Interface::ChangePasswordResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
};

}
