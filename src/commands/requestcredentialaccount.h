#pragma once

#include "commands/credentialrequest.h"

namespace Corvane::Command {

/// Second step of an access request: asks for a new account for a person of the consortium.
/// Created by the flow manager for one request; reports to it.
class RequestCredentialAccount final : public CredentialRequest {
    Q_OBJECT
public:
    RequestCredentialAccount(Interface::RequestCredentialResponseAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

private:
    void report() override;
};

}
