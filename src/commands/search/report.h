#pragma once

#include "commands/paginatedsearch.h"

namespace Corvane {

struct SearchFilters;

namespace Model {
    class Report;
}

namespace Command::Search {

    /// The reports of the bank in a date range, all in one reply. Created by the report model for
    /// one request; hands the list back to it.
    class Report final : public PaginatedSearch {
        Q_OBJECT
    public:
        Report(Model::Report* model, const SearchFilters& filters);
    };

}
}
