#include "ui/searchfilters.h"

namespace Corvane {

SearchFilters::SearchFilters(QObject* parent)
    : QObject(parent)
{
    clear();
}

void SearchFilters::clear()
{
    start = 0;
    for (QString* text : { &sortKey, &sortDirection, &companyName, &city, &province, &fiscalCode,
             &bank, &dateFrom, &dateTo, &ticketStatus, &positionStatus, &lcr, &loanNumber })
        text->clear();
}

}
