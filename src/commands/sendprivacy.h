#pragma once

#include "commands/reportingcommand.h"
#include "protocol/sendprivacyresponseaccepterinterface.h"

namespace Corvane::Command {

/// Fetches the privacy notice shown in the access request.
/// Created by the flow manager for one request; reports to it.
class SendPrivacy final
    : public ReportingCommand<Interface::SendPrivacyResponseAccepterInterface, HomeTags> {
    Q_OBJECT
public:
    explicit SendPrivacy(Interface::SendPrivacyResponseAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    QString getPrivacyText() const { return privacyText; }

private:
    QString privacyText;
};

}
