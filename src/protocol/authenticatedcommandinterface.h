#pragma once

#include <QtPlugin>

namespace Corvane::Interface {

/// Tag: the request carries the client version and the reply must pass the session check.
class AuthenticatedCommandInterface {
public:
    virtual ~AuthenticatedCommandInterface() = default;
};

}

Q_DECLARE_INTERFACE(
    Corvane::Interface::AuthenticatedCommandInterface, "corvane.AuthenticatedCommandInterface")
