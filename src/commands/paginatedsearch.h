#pragma once

#include "commands/formcommand.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"

namespace Corvane {
namespace Model {
    class AbstractPaginatedTable;
}

namespace Command {

    /// What every list search shares: form fields fixed when it is created (the model copies its
    /// filters and the page start in), the page values of the reply and its records, handed to
    /// the model that asked in one call. A concrete search is created by its model's search
    /// factory for one request.
    class PaginatedSearch : public FormCommand,
                            public Interface::AuthenticatedCommandInterface,
                            public Interface::PaginatedCommandInterface {
        Q_OBJECT
    public:
        int getCurrentPage() const override { return currentPage; }
        int getStart() const override { return start; }
        int getTotalPages() const override { return totalPages; }
        int getResultCount() const override { return resultCount; }
        QList<DataRow> getRows() const override { return rows; }
        /// Reads the page values, lets the concrete search read its own, and hands the page on.
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) final;

        /// A count or page number of a reply header: missing, not a number, negative or beyond
        /// the range of int, it counts as 0.
        static int headerNumber(const QMap<QString, QString>& reply, const QString& key);

    protected:
        /// countKey names the reply header holding the count of all matches.
        PaginatedSearch(Model::AbstractPaginatedTable* model, const QString& path,
            const QMap<QString, QString>& parameters,
            const QString& countKey = QStringLiteral("risultati"));

        /// What a concrete search reads of the reply beyond the page values, before the page
        /// reaches the model.
        virtual void readExtras(const QMap<QString, QString>& reply);

    private:
        Model::AbstractPaginatedTable* model;
        QString countKey;
        int start = 0;
        int totalPages = 0;
        int currentPage = 0;
        int resultCount = 0;
        QList<DataRow> rows;
    };

}
}
