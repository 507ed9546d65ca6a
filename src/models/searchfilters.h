#pragma once

#include <QString>

namespace Corvane {

/// The filters and the order of a list search, as a plain value: read by the window from its
/// search panel, kept by the model for the pages that follow, and copied into the search
/// command's form fields when the command is created.
class SearchFilters final {
public:
    QString getSortKey() const { return sortKey; }
    void setSortKey(const QString& value) { sortKey = value; }
    QString getSortDirection() const { return sortDirection; }
    void setSortDirection(const QString& value) { sortDirection = value; }
    QString getCompanyName() const { return companyName; }
    void setCompanyName(const QString& value) { companyName = value; }
    QString getCity() const { return city; }
    void setCity(const QString& value) { city = value; }
    QString getProvince() const { return province; }
    void setProvince(const QString& value) { province = value; }
    QString getFiscalCode() const { return fiscalCode; }
    void setFiscalCode(const QString& value) { fiscalCode = value; }
    QString getBank() const { return bank; }
    void setBank(const QString& value) { bank = value; }
    QString getDateFrom() const { return dateFrom; }
    void setDateFrom(const QString& value) { dateFrom = value; }
    QString getDateTo() const { return dateTo; }
    void setDateTo(const QString& value) { dateTo = value; }
    QString getTicketStatus() const { return ticketStatus; }
    void setTicketStatus(const QString& value) { ticketStatus = value; }
    QString getPositionStatus() const { return positionStatus; }
    void setPositionStatus(const QString& value) { positionStatus = value; }
    QString getLcr() const { return lcr; }
    void setLcr(const QString& value) { lcr = value; }
    QString getLoanNumber() const { return loanNumber; }
    void setLoanNumber(const QString& value) { loanNumber = value; }

private:
    QString sortKey;
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
