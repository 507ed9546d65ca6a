#pragma once

#include "commands/paginatedsearch.h"

namespace Corvane {

struct SearchFilters;

namespace Model {
    class Position;
}

namespace Command::Search {

    /// One page of the loan positions at the bank, filtered and sorted. Created by the position
    /// model for one request; hands the page back to it.
    class Position final : public PaginatedSearch {
        Q_OBJECT
    public:
        Position(Model::Position* model, const SearchFilters& filters, int start);

        int getPositionsSinceLastAccess() const { return positionsSinceLastAccess; }

    private:
        void readExtras(const QMap<QString, QString>& reply) override;

        Model::Position* position;
        int positionsSinceLastAccess = 0;
    };

}
}
