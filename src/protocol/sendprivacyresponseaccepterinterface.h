#pragma once

#include <QtPlugin>

namespace Corvane::Command {
class SendPrivacy;
}

namespace Corvane::Interface {

/// Receives the privacy notice.
class SendPrivacyResponseAccepterInterface {
public:
    virtual ~SendPrivacyResponseAccepterInterface() = default;

    virtual void setPrivacy(Command::SendPrivacy* command) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::SendPrivacyResponseAccepterInterface,
    "corvane.SendPrivacyResponseAccepterInterface")
