#pragma once

#include <QtPlugin>

// The hand-over points of start-up: each is told by a window or helper of a lower layer when the
// next stage may begin.
namespace Corvane::Interface {

/// Told by the proxy configurator once the connection to the server works.
class ApplicationInitializeResponderInterface {
public:
    virtual ~ApplicationInitializeResponderInterface() = default;

    virtual void initializeApplication() = 0;
};

/// Told by the update window to hand over to the update run.
class UpdateInitializeResponderInterface {
public:
    virtual ~UpdateInitializeResponderInterface() = default;

    virtual void initializeUpdate() = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::ApplicationInitializeResponderInterface,
    "corvane.ApplicationInitializeResponderInterface")
Q_DECLARE_INTERFACE(Corvane::Interface::UpdateInitializeResponderInterface,
    "corvane.UpdateInitializeResponderInterface")
