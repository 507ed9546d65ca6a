#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/authenticationresultaccepterinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Confirms the two-factor activation with the first code of the authenticator app.
/// Created by the flow manager for one request; reports to it.
class TwoFaFirstAuthentication final : public QObject,
                                       public Interface::CommandInterface,
                                       public Interface::AuthenticatedCommandInterface,
                                       public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    TwoFaFirstAuthentication(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    QString getResult() const { return result; }
    bool isSuccess() const { return success; }

private:
    Interface::AuthenticationResultAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    QString spare;
    QString result;
    bool success = false;
};

}
