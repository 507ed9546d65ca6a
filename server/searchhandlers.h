#pragma once

#include "router.h"

namespace Corvane::Server {

/// The per-bank verbs of the "search" family: company and position searches with paging,
/// sorting and filters, reports, amortization plans, position detail and related forms,
/// company records and the report and position downloads.
class SearchHandlers final : public VerbFamily {
public:
    static constexpr int pageSize = 20;

    using VerbFamily::VerbFamily;
    void registerWith(Router& router);

private:
    bool isBankEnabled(const Session& session, const std::string& abi) const;
    ServiceResponse companies(const ServiceRequest& request, const Session& session);
    ServiceResponse positions(const ServiceRequest& request, const Session& session);
    ServiceResponse reports(const ServiceRequest& request, const Session& session);
    ServiceResponse amortization(const ServiceRequest& request, const Session& session);
    ServiceResponse positionDetail(const ServiceRequest& request, const Session& session);
    ServiceResponse relatedForms(const ServiceRequest& request, const Session& session);
    ServiceResponse companyRecord(const ServiceRequest& request, const Session& session);
    ServiceResponse downloadReport(const ServiceRequest& request, const Session& session);
    ServiceResponse downloadPosition(const ServiceRequest& request, const Session& session);
};

}
