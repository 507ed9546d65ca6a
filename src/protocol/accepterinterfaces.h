#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class ChangePassword;
class CheckVersion;
class DownloadUpdate;
class Init;
class Login;
class Logout;
class RequestActivationCode;
class RequestCredentialAccount;
class RequestCredentialConfidi;
class RequestPassword;
class SendPrivacy;
class TwoFaActivation;
class TwoFaAuthentication;
class TwoFaFirstAuthentication;
}

// Where the flow commands hand their outcome back: the flow managers implement these, the
// commands know only the interface.
namespace Corvane::Interface {

/// Receives the session-opening reply.
class AccountSettingsAccepterInterface {
public:
    virtual ~AccountSettingsAccepterInterface() = default;

    virtual void setAccount(Command::Init* command) = 0;
};

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

/// Receives the results of a password change and of a new-password request.
class ChangePasswordResultAccepterInterface {
public:
    virtual ~ChangePasswordResultAccepterInterface() = default;

    virtual void manageChangePasswordResult(Command::ChangePassword* command) = 0;
    virtual void manageRequestPasswordResult(Command::RequestPassword* command) = 0;
};

/// Receives the outcome of the version check.
class CheckVersionAccepterInterface {
public:
    virtual ~CheckVersionAccepterInterface() = default;

    virtual void onVersionUpToDate(Command::CheckVersion* command) = 0;
    virtual void onUpdateAvailable(Command::CheckVersion* command) = 0;
};

/// Receives the downloaded update archive.
class DownloadUpdateResponseAccepterInterface {
public:
    virtual ~DownloadUpdateResponseAccepterInterface() = default;

    virtual void manageDownloadUpdateResult(Command::DownloadUpdate* command) = 0;
};

/// Receives the result of a logout.
class LogoutResultAccepterInterface {
public:
    virtual ~LogoutResultAccepterInterface() = default;

    virtual void manageLogoutResult(Command::Logout* command) = 0;
};

/// Receives the results of the consortium and account access requests.
class RequestCredentialResponseAccepterInterface {
public:
    virtual ~RequestCredentialResponseAccepterInterface() = default;

    virtual void manageCredentialRequestResult(Command::RequestCredentialConfidi* command) = 0;
    virtual void manageCredentialRequestResult(Command::RequestCredentialAccount* command) = 0;
};

/// Receives the privacy notice.
class SendPrivacyResponseAccepterInterface {
public:
    virtual ~SendPrivacyResponseAccepterInterface() = default;

    virtual void setPrivacy(Command::SendPrivacy* command) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::AccountSettingsAccepterInterface,
    "corvane.AccountSettingsAccepterInterface")
Q_DECLARE_INTERFACE(Corvane::Interface::AuthenticationResultAccepterInterface,
    "corvane.AuthenticationResultAccepterInterface")
Q_DECLARE_INTERFACE(Corvane::Interface::ChangePasswordResultAccepterInterface,
    "corvane.ChangePasswordResultAccepterInterface")
// The version check's identifier ends in "Interfaces", not "Interface": interface casts match it
// exactly, so it stays as released.
Q_DECLARE_INTERFACE(
    Corvane::Interface::CheckVersionAccepterInterface, "corvane.CheckVersionAccepterInterfaces")
Q_DECLARE_INTERFACE(Corvane::Interface::DownloadUpdateResponseAccepterInterface,
    "corvane.DownloadUpdateResponseAccepterInterface")
Q_DECLARE_INTERFACE(
    Corvane::Interface::LogoutResultAccepterInterface, "corvane.LogoutResultAccepterInterface")
Q_DECLARE_INTERFACE(Corvane::Interface::RequestCredentialResponseAccepterInterface,
    "corvane.RequestCredentialResponseAccepterInterface")
Q_DECLARE_INTERFACE(Corvane::Interface::SendPrivacyResponseAccepterInterface,
    "corvane.SendPrivacyResponseAccepterInterface")
