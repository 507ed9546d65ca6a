#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class Init;
}

namespace Corvane::Interface {

/// Receives the session-opening reply.
class AccountSettingsAccepterInterface {
public:
    virtual ~AccountSettingsAccepterInterface() = default;

    virtual void setAccount(Command::Init* command) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::AccountSettingsAccepterInterface,
    "corvane.AccountSettingsAccepterInterface")
