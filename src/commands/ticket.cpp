#include "commands/ticket.h"

#include "models/ticket.h"
#include "ui/searchfilters.h"

namespace Corvane::Command {

Ticket::Ticket(Model::Ticket* model, SearchFilters* searchFilters, Paginator* paginator)
    : PaginatedSearch(searchFilters, paginator)
    , model(model)
{
}

QString Ticket::getPath() const { return QStringLiteral("/corvane/v5/home/ticket"); }

QMap<QString, QString> Ticket::getParameters() const
{
    const SearchFilters empty;
    const SearchFilters* filters = searchFilters ? searchFilters.data() : &empty;
    return {
        { QStringLiteral("search_stato"), filters->getTicketStatus() },
        { QStringLiteral("data_inizio"), filters->getDateFrom() },
        { QStringLiteral("data_fine"), filters->getDateTo() },
    };
}

void Ticket::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    resultCount = headerNumber(decodedReply, QStringLiteral("n_result"));
    rows = dataRows;
    model->setTotalResults(this);
    model->loadRows(this);
}

}
