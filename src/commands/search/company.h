#pragma once

#include "commands/paginatedsearch.h"

namespace Corvane {

class SearchFilters;

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

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        bool isMergersPresent() const { return mergersPresent; }

    private:
        Model::Company* company;
        bool mergersPresent = false;
    };

}
}
