#pragma once

#include "commands/reportingcommand.h"
#include "protocol/authenticationresultaccepterinterface.h"

namespace Corvane::Command {

/// Sends the six-digit code of the authenticator app; the reply carries the two-factor token.
/// Created by the flow manager for one request; reports to it.
class TwoFaAuthentication final
    : public ReportingCommand<Interface::AuthenticationResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    TwoFaAuthentication(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    QString getToken() const { return token; }
    bool isSuccess() const { return success; }

private:
    QString token;
    bool success = false;
};

}
