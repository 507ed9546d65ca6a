#pragma once

#include "protocol/commandinterface.h"

#include <QByteArray>

namespace Corvane::Interface {

/// A command whose reply is a file stream; an XML reply (an error) still goes to the
/// decoded-reply operation.
class DownloadCommandInterface : public CommandInterface {
public:
    using CommandInterface::useResponse;
    virtual void useResponse(QByteArray body) = 0;
};

}

Q_DECLARE_INTERFACE(
    Corvane::Interface::DownloadCommandInterface, "corvane.DownloadCommandInterface")
