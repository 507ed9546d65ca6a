#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class DownloadUpdate;
}

namespace Corvane::Interface {

/// Receives the downloaded update archive.
class DownloadUpdateResponseAccepterInterface {
public:
    virtual ~DownloadUpdateResponseAccepterInterface() = default;

    virtual void manageDownloadUpdateResult(Command::DownloadUpdate* command) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::DownloadUpdateResponseAccepterInterface,
    "corvane.DownloadUpdateResponseAccepterInterface")
