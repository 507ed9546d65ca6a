#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/changepasswordresultaccepterinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Asks the server to mail the user a new password.
/// Created by the flow manager for one request; reports to it.
class RequestPassword final : public QObject,
                              public Interface::CommandInterface,
                              public Interface::AuthenticatedCommandInterface,
                              public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    explicit RequestPassword(Interface::ChangePasswordResultAccepterInterface* accepter);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

private:
    Interface::ChangePasswordResultAccepterInterface* accepter;
    QMap<QString, QString> parameters;
};

}
