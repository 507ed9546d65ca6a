#pragma once

#include "commands/formcommand.h"
#include "protocol/noabicommandinterface.h"
#include "protocol/requestcredentialresponseaccepterinterface.h"

#include <QStringList>

namespace Corvane::Command {

/// What the two steps of an access request share: the reply is a refusal with its code, or the
/// three values "0", "1" and "2" of the records.
class CredentialRequest
    : public ReportingCommand<Interface::RequestCredentialResponseAccepterInterface>,
      public Interface::NoAbiCommandInterface {
public:
    bool isSuccess() const { return success; }
    int getResultCode() const { return resultCode; }

protected:
    using ReportingCommand::ReportingCommand;

    /// Any result but OK is a refusal; the window explains the codes it knows.
    void readReply(const QMap<QString, QString>& decodedReply, const QList<DataRow>& dataRows);
    QString value(int index) const { return values.value(index); }

private:
    bool success = true;
    int resultCode = 0;
    QStringList values;
};

}
