#pragma once

#include "commands/credentialrequest.h"

namespace Corvane::Command {

/// First step of an access request: checks the consortium and returns its fiscal code, company
/// name and certified mail address.
/// Created by the flow manager for one request; reports to it.
class RequestCredentialConfidi final : public CredentialRequest {
    Q_OBJECT
public:
    RequestCredentialConfidi(Interface::RequestCredentialResponseAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getConfidiFiscalCode() const { return value(0); }
    QString getConfidiCompanyName() const { return value(1); }
    QString getConfidiPec() const { return value(2); }

private:
    void report() override;
};

}
