#pragma once

#include "commands/paginatedsearch.h"

namespace Corvane {

struct SearchFilters;

namespace Model {
    class Company;
}

namespace Command::Search {

    /// One page of the bank's client companies, filtered and sorted. Created by the company
    /// model for one request; hands the page back to it.
    class Company final : public PaginatedSearch {
        Q_OBJECT
    public:
        Company(Model::Company* model, const SearchFilters& filters, int start);

        bool isMergersPresent() const { return mergersPresent; }

    private:
        void readExtras(const QMap<QString, QString>& reply) override;

        Model::Company* company;
        bool mergersPresent = false;
    };

}
}
