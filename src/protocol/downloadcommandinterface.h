#pragma once

#include "protocol/commandinterface.h"

#include <QByteArray>
#include <QString>

namespace Corvane::Interface {

/// A command whose reply is a file stream; an XML reply (an error) still goes to the
/// decoded-reply operation.
class DownloadCommandInterface : public CommandInterface {
public:
    using CommandInterface::useResponse;
    virtual void useResponse(QByteArray body) = 0;
    /// The reply's HTTP status and content type, told just before its body.
    virtual void useReplyHeaders(int /*status*/, const QString& /*contentType*/) { }
};

}

Q_DECLARE_INTERFACE(
    Corvane::Interface::DownloadCommandInterface, "corvane.DownloadCommandInterface")
