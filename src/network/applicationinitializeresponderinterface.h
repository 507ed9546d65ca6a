#pragma once

#include <QtPlugin>

namespace Corvane::Interface {

/// Told by the proxy configurator once the connection to the server works.
class ApplicationInitializeResponderInterface {
public:
    virtual ~ApplicationInitializeResponderInterface() = default;

    virtual void initializeApplication() = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::ApplicationInitializeResponderInterface,
    "corvane.ApplicationInitializeResponderInterface")
