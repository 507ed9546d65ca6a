#pragma once

#include "protocol/datarow.h"

#include <QtPlugin>

namespace Corvane::Interface {

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

Q_DECLARE_INTERFACE(
    Corvane::Interface::PaginatedCommandInterface, "corvane.PaginatedCommandInterface")
