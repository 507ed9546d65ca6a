#pragma once

#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"
#include "protocol/requestcredentialresponseaccepterinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Second step of an access request: asks for a new account for a person of the consortium.
/// Created by the flow manager for one request; reports to it.
class RequestCredentialAccount final : public QObject,
                                       public Interface::CommandInterface,
                                       public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    RequestCredentialAccount(Interface::RequestCredentialResponseAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }
    int getResultCode() const { return resultCode; }

private:
    Interface::RequestCredentialResponseAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    bool success = true;
    int resultCode = 0;
    QString first;
    QString second;
    QString third;
};

}
