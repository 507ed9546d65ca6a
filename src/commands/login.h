#pragma once

#include "protocol/authenticationresultaccepterinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Signs the user in with the fiscal codes and the password; the reply carries the
/// authentication token.
/// Created by the flow manager for one request; reports to it.
class Login final : public QObject,
                    public Interface::CommandInterface,
                    public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    Login(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }
    int getResultCode() const { return resultCode; }
    QString getToken() const { return token; }

private:
    Interface::AuthenticationResultAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    bool success = true;
    int resultCode = 0;
    QString token;
};

}
