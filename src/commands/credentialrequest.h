#pragma once

#include "commands/reportingcommand.h"
#include "protocol/accepterinterfaces.h"

#include <QStringList>

namespace Corvane::Command {

/// What the two steps of an access request share: the reply is a refusal with its code, or the
/// three values "0", "1" and "2" of the records. Created by the flow manager for one request;
/// reports to it.
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

/// First step of an access request: checks the consortium and returns its fiscal code, company
/// name and certified mail address.
class RequestCredentialConfidi final : public CredentialRequest {
    Q_OBJECT
public:
    RequestCredentialConfidi(Interface::RequestCredentialResponseAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getConfidiFiscalCode() const { return value(0); }
    QString getConfidiCompanyName() const { return value(1); }
    QString getConfidiPec() const { return value(2); }

private:
    void report() override { accepter->manageCredentialRequestResult(this); }
};

/// Second step of an access request: asks for a new account for a person of the consortium.
class RequestCredentialAccount final : public CredentialRequest {
    Q_OBJECT
public:
    RequestCredentialAccount(Interface::RequestCredentialResponseAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

private:
    void report() override { accepter->manageCredentialRequestResult(this); }
};

}
