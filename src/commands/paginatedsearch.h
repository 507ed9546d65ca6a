#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/paginatedcommandinterface.h"

#include <QObject>
#include <QPointer>

namespace Corvane {

class Paginator;
class SearchFilters;

namespace Command {

    /// What every list search shares: the page values of the reply, its records, and the filters
    /// and paginator of the model that asked, read when the form fields are built. A concrete
    /// search is created by its model for one request.
    class PaginatedSearch : public QObject,
                            public Interface::CommandInterface,
                            public Interface::AuthenticatedCommandInterface,
                            public Interface::PaginatedCommandInterface {
        Q_OBJECT
    public:
        PaginatedSearch(SearchFilters* searchFilters, Paginator* paginator);

        int getCurrentPage() const override { return currentPage; }
        int getStart() const override { return start; }
        int getTotalPages() const override { return totalPages; }
        int getResultCount() const override { return resultCount; }
        QList<DataRow> getRows() const override { return rows; }

    protected:
        /// A numeric reply header entry; missing or not a number counts as 0.
        static int headerNumber(const QMap<QString, QString>& reply, const QString& key);
        /// Reads "cur_pag", "tot_pag", "start" and "risultati".
        void readPageHeader(const QMap<QString, QString>& reply);
        /// The page index the paginator asks for, as the "start" field.
        QString requestedStart() const;
        void logUse() const;

        int start = 0;
        int totalPages = 0;
        int currentPage = 0;
        int resultCount = 0;
        QList<DataRow> rows;
        QPointer<SearchFilters> searchFilters;
        QPointer<Paginator> paginator;
    };

}
}
