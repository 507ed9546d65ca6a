#pragma once

#include <QtPlugin>

namespace Corvane::Interface {

/// Tag: the selected bank's ABI code is not appended to the request path.
class NoAbiCommandInterface {
public:
    virtual ~NoAbiCommandInterface() = default;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::NoAbiCommandInterface, "corvane.NoAbiCommandInterface")
