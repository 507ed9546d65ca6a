#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class RequestCredentialConfidi;
class RequestCredentialAccount;
}

namespace Corvane::Interface {

/// Receives the results of the consortium and account access requests.
class RequestCredentialResponseAccepterInterface {
public:
    virtual ~RequestCredentialResponseAccepterInterface() = default;

    virtual void manageCredentialRequestResult(Command::RequestCredentialConfidi* command) = 0;
    virtual void manageCredentialRequestResult(Command::RequestCredentialAccount* command) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::RequestCredentialResponseAccepterInterface,
    "corvane.RequestCredentialResponseAccepterInterface")
