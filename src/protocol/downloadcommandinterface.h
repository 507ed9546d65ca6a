#pragma once

#include "protocol/commandinterface.h"

#include <QByteArray>
#include <QString>

namespace Corvane::Interface {

/// A command whose reply is a file stream; an XML reply (an error) still goes to the
/// decoded-reply operation. The body comes whole (useResponse) or, when the command streams it,
/// piece by piece as it arrives (openStream, writeStream, closeStream), so it is never held in
/// memory at once.
class DownloadCommandInterface : public CommandInterface {
public:
    using CommandInterface::useResponse;
    virtual void useResponse(QByteArray body) = 0;
    /// The reply's HTTP status and content type, told just before its body.
    virtual void useReplyHeaders(int /*status*/, const QString& /*contentType*/) { }
    /// The transfer ended without a file: a network failure, or a reply stopped or refused.
    virtual void useFailure() { }

    /// Whether the body goes through openStream, writeStream and closeStream.
    virtual bool streamsBody() const { return false; }
    /// The reply's headers are in; false refuses the body and ends the transfer (useFailure).
    virtual bool openStream(int /*status*/, const QString& /*contentType*/) { return false; }
    /// The next bytes of the body; false stops the transfer (useFailure follows).
    virtual bool writeStream(const QByteArray& /*bytes*/) { return false; }
    /// The whole body has arrived.
    virtual void closeStream() { }
};

}

Q_DECLARE_INTERFACE(
    Corvane::Interface::DownloadCommandInterface, "corvane.DownloadCommandInterface")
