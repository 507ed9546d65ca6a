#pragma once

#include <QString>

namespace Corvane {

/// The filters and the order of a list search, as a plain value: read by the window from its
/// search panel, kept by the model for the pages that follow, and copied into the search
/// command's form fields when the command is created. An empty text filters nothing.
struct SearchFilters {
    QString sortKey;
    /// "1" ascending, "0" descending.
    QString sortDirection;
    QString companyName;
    QString city;
    QString province;
    QString fiscalCode;
    QString bank;
    QString dateFrom;
    QString dateTo;
    QString ticketStatus;
    QString positionStatus;
    QString lcr;
    QString loanNumber;
};

}
