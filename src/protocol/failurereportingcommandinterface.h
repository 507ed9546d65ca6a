#pragma once

#include <QString>
#include <QtPlugin>

namespace Corvane::Interface {

/// A command sent from a form of its own (a new ticket, a new message): a reply code other than
/// success, or than a refused session, is that command's failure, which its form shows while it
/// keeps what was typed, instead of the box that offers to close the program.
class FailureReportingCommandInterface {
public:
    virtual ~FailureReportingCommandInterface() = default;

    /// The server answered with code, which the command does not expect, and its description.
    virtual void useFailure(const QString& code, const QString& description) = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::FailureReportingCommandInterface,
    "corvane.FailureReportingCommandInterface")
