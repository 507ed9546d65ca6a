#pragma once

#include "commands/reportingcommand.h"
#include "protocol/requestcredentialresponseaccepterinterface.h"

#include <QStringList>

namespace Corvane::Command {

/// What the two steps of an access request share: the reply is a refusal with its code, or the
/// three values "0", "1" and "2" of the records.
class CredentialRequest
    : public ReportingCommand<Interface::RequestCredentialResponseAccepterInterface, HomeTags> {
public:
    /// Any result but OK is a refusal; the window explains the codes it knows.
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) final;

    bool isSuccess() const { return success; }
    int getResultCode() const { return resultCode; }

protected:
    using ReportingCommand::ReportingCommand;

    /// Hands the outcome to the accepter.
    virtual void report() = 0;
    QString value(int index) const { return values.value(index); }

private:
    bool success = true;
    int resultCode = 0;
    QStringList values;
};

}
