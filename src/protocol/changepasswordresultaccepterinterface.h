#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class ChangePassword;
class RequestPassword;
}

namespace Corvane::Interface {

/// Receives the results of a password change and of a new-password request.
class ChangePasswordResultAccepterInterface {
public:
    virtual ~ChangePasswordResultAccepterInterface() = default;

    virtual void manageChangePasswordResult(Command::ChangePassword* command) = 0;
    virtual void manageRequestPasswordResult(Command::RequestPassword* command) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::ChangePasswordResultAccepterInterface,
    "corvane.ChangePasswordResultAccepterInterface")
