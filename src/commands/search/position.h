#pragma once

#include "commands/paginatedsearch.h"

namespace Corvane {
namespace Model {
    class Position;
}

namespace Command::Search {

    /// One page of the loan positions at the bank, filtered and sorted. Created by the position
    /// model for one request; hands the page back to it.
    class Position final : public PaginatedSearch {
        Q_OBJECT
    public:
        Position(Model::Position* model, SearchFilters* searchFilters, Paginator* paginator);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override;
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        int getPositionsSinceLastAccess() const { return positionsSinceLastAccess; }

    private:
        Model::Position* model;
        int positionsSinceLastAccess = 0;
    };

}
}
