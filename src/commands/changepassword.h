#pragma once

#include "commands/formcommand.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/changepasswordresultaccepterinterface.h"
#include "protocol/noabicommandinterface.h"

namespace Corvane::Command {

/// Replaces the user's password ("old_password", "new_password").
/// Created by the flow manager for one request; reports to it.
class ChangePassword final
    : public ReportingCommand<Interface::ChangePasswordResultAccepterInterface>,
      public Interface::AuthenticatedCommandInterface,
      public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    ChangePassword(Interface::ChangePasswordResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
};

}
