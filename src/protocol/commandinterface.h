#pragma once

#include "protocol/datarow.h"

#include <QtPlugin>

namespace Corvane::Interface {

/// A server operation: its URL path, its form fields and what it does with the decoded reply.
/// Commands are owned by their creator; the command manager only queues them.
class CommandInterface {
public:
    virtual ~CommandInterface() = default;

    virtual QString getPath() const = 0;
    /// The form fields, by value: the caller may add to its copy.
    virtual QMap<QString, QString> getParameters() const = 0;
    virtual void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) = 0;
};

/// A search whose reply is one page of a longer result; the page values are read by the
/// command's owner after the reply has been used.
class PaginatedCommandInterface {
public:
    virtual ~PaginatedCommandInterface() = default;

    virtual int getCurrentPage() const = 0;
    virtual int getStart() const = 0;
    virtual int getTotalPages() const = 0;
    virtual int getResultCount() const = 0;
    virtual QList<DataRow> getRows() const = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::CommandInterface, "corvane.CommandInterface")
Q_DECLARE_INTERFACE(
    Corvane::Interface::PaginatedCommandInterface, "corvane.PaginatedCommandInterface")
