#pragma once

#include <QtPlugin>

namespace Corvane::Interface {

/// Told by the update window to hand over to the update run.
class UpdateInitializeResponderInterface {
public:
    virtual ~UpdateInitializeResponderInterface() = default;

    virtual void initializeUpdate() = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::UpdateInitializeResponderInterface,
    "corvane.UpdateInitializeResponderInterface")
