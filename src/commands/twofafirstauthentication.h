#pragma once

#include "commands/reportingcommand.h"
#include "protocol/authenticationresultaccepterinterface.h"

namespace Corvane::Command {

/// Confirms the two-factor activation with the first code of the authenticator app.
/// Created by the flow manager for one request; reports to it.
class TwoFaFirstAuthentication final
    : public ReportingCommand<Interface::AuthenticationResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    TwoFaFirstAuthentication(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    QString getResult() const { return result; }
    bool isSuccess() const { return success; }

private:
    QString result;
    bool success = false;
};

}
