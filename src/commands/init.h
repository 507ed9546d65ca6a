#pragma once

#include "protocol/accountsettingsaccepterinterface.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Opens the session: the consortium, the user name and the last access of the signed-in user.
/// Created by the flow manager for one request; reports to it.
class Init final : public QObject,
                   public Interface::CommandInterface,
                   public Interface::AuthenticatedCommandInterface,
                   public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    explicit Init(Interface::AccountSettingsAccepterInterface* accepter);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    double getConfidiId() const { return confidiId; }
    QString getConfidiCompanyName() const { return confidiCompanyName; }
    QString getUsername() const { return username; }
    QString getLastAccess() const { return lastAccess; }

private:
    Interface::AccountSettingsAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    double confidiId = 0;
    QString confidiCompanyName;
    QString username;
    QString lastAccess;
};

}
