#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class CheckVersion;
}

namespace Corvane::Interface {

/// Receives the outcome of the version check. Its identifier ends in "Interfaces", not "Interface":
/// interface casts match it exactly, so it stays as released.
class CheckVersionAccepterInterface {
public:
    virtual ~CheckVersionAccepterInterface() = default;

    virtual void onVersionUpToDate(Command::CheckVersion* command) = 0;
    virtual void onUpdateAvailable(Command::CheckVersion* command) = 0;
};

}

Q_DECLARE_INTERFACE(
    Corvane::Interface::CheckVersionAccepterInterface, "corvane.CheckVersionAccepterInterfaces")
