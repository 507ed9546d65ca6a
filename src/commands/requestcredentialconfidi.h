#pragma once

#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"
#include "protocol/requestcredentialresponseaccepterinterface.h"

#include <QObject>

namespace Corvane::Command {

/// First step of an access request: checks the consortium and returns its fiscal code, company
/// name and certified mail address.
/// Created by the flow manager for one request; reports to it.
class RequestCredentialConfidi final : public QObject,
                                       public Interface::CommandInterface,
                                       public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    RequestCredentialConfidi(Interface::RequestCredentialResponseAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }
    int getResultCode() const { return resultCode; }
    QString getConfidiFiscalCode() const { return confidiFiscalCode; }
    QString getConfidiCompanyName() const { return confidiCompanyName; }
    QString getConfidiPec() const { return confidiPec; }

private:
    Interface::RequestCredentialResponseAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    bool success = true;
    int resultCode = 0;
    QString confidiFiscalCode;
    QString confidiCompanyName;
    QString confidiPec;
};

}
