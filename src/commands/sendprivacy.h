#pragma once

#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"
#include "protocol/sendprivacyresponseaccepterinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Fetches the privacy notice shown in the access request.
/// Created by the flow manager for one request; reports to it.
class SendPrivacy final : public QObject,
                          public Interface::CommandInterface,
                          public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    explicit SendPrivacy(Interface::SendPrivacyResponseAccepterInterface* accepter);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    QString getPrivacyText() const { return privacyText; }

private:
    Interface::SendPrivacyResponseAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    QString privacyText;
};

}
