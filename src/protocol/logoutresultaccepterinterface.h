#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class Logout;
}

namespace Corvane::Interface {

/// Receives the result of a logout.
class LogoutResultAccepterInterface {
public:
    virtual ~LogoutResultAccepterInterface() = default;

    virtual void manageLogoutResult(Command::Logout* command) = 0;
};

}

Q_DECLARE_INTERFACE(
    Corvane::Interface::LogoutResultAccepterInterface, "corvane.LogoutResultAccepterInterface")
