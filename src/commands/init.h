#pragma once

#include "commands/reportingcommand.h"
#include "protocol/accountsettingsaccepterinterface.h"

namespace Corvane::Command {

/// Opens the session: the consortium, the user name and the last access of the signed-in user.
/// Created by the flow manager for one request; reports to it.
class Init final
    : public ReportingCommand<Interface::AccountSettingsAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    explicit Init(Interface::AccountSettingsAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    double getConfidiId() const { return confidiId; }
    QString getConfidiCompanyName() const { return confidiCompanyName; }
    QString getUsername() const { return username; }
    QString getLastAccess() const { return lastAccess; }

private:
    double confidiId = 0;
    QString confidiCompanyName;
    QString username;
    QString lastAccess;
};

}
