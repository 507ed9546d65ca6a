#pragma once

#include <QString>
#include <QtPlugin>

namespace Corvane {
class CommandManager;
}

namespace Corvane::Interface {

/// What the command manager needs of the flow that drives it: where and how to send, for which
/// bank, and who deals with a refused session or a reply that failed the result check.
class CommandHostInterface {
public:
    virtual ~CommandHostInterface() = default;

    virtual QString getServerUrl() const = 0;
    virtual bool isDebugEnabled() const = 0;
    /// The chosen bank's label; empty before the choice.
    virtual QString getBank() const = 0;
    /// An authenticated reply failed the session check.
    virtual void manageResponse(CommandManager* commandManager) = 0;
    /// A reply failed the result check; its text is the manager's last error message.
    virtual void showServerErrorDialog(CommandManager* commandManager) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::CommandHostInterface, "corvane.CommandHostInterface")
