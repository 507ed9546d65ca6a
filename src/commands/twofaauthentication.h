#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/authenticationresultaccepterinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Sends the six-digit code of the authenticator app; the reply carries the two-factor token.
/// Created by the flow manager for one request; reports to it.
class TwoFaAuthentication final : public QObject,
                                  public Interface::CommandInterface,
                                  public Interface::AuthenticatedCommandInterface,
                                  public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    TwoFaAuthentication(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    QString getToken() const { return token; }
    bool isSuccess() const { return success; }

private:
    Interface::AuthenticationResultAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    QString spare;
    QString token;
    bool success = false;
};

}
