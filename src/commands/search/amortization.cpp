#include "commands/search/amortization.h"

#include "models/amortization.h"

namespace Corvane::Command::Search {

Amortization::Amortization(
    Model::Amortization* model, const QString& technicalFormId, const QString& lcr)
    : PaginatedSearch(nullptr, nullptr)
    , model(model)
    , technicalFormId(technicalFormId)
    , lcr(lcr)
{
}

QString Amortization::getPath() const { return QStringLiteral("/corvane/v5/search/ft_piano_amm"); }

QMap<QString, QString> Amortization::getParameters() const
{
    return { { QStringLiteral("pratica_ft_id"), technicalFormId }, { QStringLiteral("lcr"), lcr } };
}

void Amortization::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    resultCount = headerNumber(decodedReply, QStringLiteral("n_result"));
    rows = dataRows;
    model->setTotalResults(this);
    model->loadRows(this);
}

}
