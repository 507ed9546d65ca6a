#include "commands/search/amortization.h"

#include "commands/search/detailrecord.h"
#include "models/amortization.h"

namespace Corvane::Command::Search {

Amortization::Amortization(
    Model::Amortization* model, const QString& technicalFormId, const QString& lcr)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/search/ft_piano_amm"),
        positionFields(technicalFormId, lcr), QStringLiteral("n_result"))
{
}

}
