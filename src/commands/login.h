#pragma once

#include "commands/reportingcommand.h"
#include "protocol/authenticationresultaccepterinterface.h"

namespace Corvane::Command {

/// Signs the user in with the fiscal codes and the password; the reply carries the
/// authentication token.
/// Created by the flow manager for one request; reports to it.
class Login final
    : public ReportingCommand<Interface::AuthenticationResultAccepterInterface, HomeTags> {
    Q_OBJECT
public:
    Login(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }
    int getResultCode() const { return resultCode; }
    QString getToken() const { return token; }

private:
    bool success = true;
    int resultCode = 0;
    QString token;
};

}
