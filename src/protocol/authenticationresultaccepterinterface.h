#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class Login;
class RequestActivationCode;
class TwoFaActivation;
class TwoFaFirstAuthentication;
class TwoFaAuthentication;
}

namespace Corvane::Interface {

/// Receives the results of login, activation and the two-factor steps.
class AuthenticationResultAccepterInterface {
public:
    virtual ~AuthenticationResultAccepterInterface() = default;

    virtual void manageAuthenticationResult(Command::Login* command) = 0;
    virtual void manageAuthenticationResult(Command::RequestActivationCode* command) = 0;
    virtual void manageAuthenticationResult(Command::TwoFaActivation* command) = 0;
    virtual void manageAuthenticationResult(Command::TwoFaFirstAuthentication* command) = 0;
    virtual void manageAuthenticationResult(Command::TwoFaAuthentication* command) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::AuthenticationResultAccepterInterface,
    "corvane.AuthenticationResultAccepterInterface")
