#include "models/amortization.h"

#include "commands/search/amortization.h"
#include "core/logging.h"
#include "models/cellstyle.h"
#include "models/commandrelease.h"

#include <QColor>

namespace Corvane::Model {

Amortization::Amortization(CommandManager* commandManager, QObject* parent)
    : AbstractPaginatedTable(commandManager, parent)
{
    const QList<QPair<const char*, const char*>> columns {
        { "rata_pagata", "Rata Pagata" },
        { "numero_rata", "N° rata" },
        { "rata", "Rata" },
        { "quota_capitale", "Quota Capitale" },
        { "quota_interesse", "Quota Interesse" },
        { "debito_residuo", "Debito Residuo" },
        { "capitale_rimborsato", "Capitale Rimborsato" },
        { "interessi_pagati", "Interessi Pagati" },
        { "data_scadenza", "Data Scadenza" },
        { "data_pagamento", "Data Pagamento" },
    };
    for (const auto& column : columns)
        addColumn(QString::fromLatin1(column.first), QString::fromUtf8(column.second));
}

QVariant Amortization::data(const QModelIndex& index, int role) const
{
    if (!isCell(index))
        return {};
    if (role == Qt::TextAlignmentRole)
        return rightAligned();
    if (role == Qt::ForegroundRole) {
        return getValue(index.row(), QStringLiteral("rata_pagata")) == QLatin1String("N")
            ? QVariant(readableOnList(QColor(QStringLiteral("gray"))))
            : QVariant();
    }
    return AbstractPaginatedTable::data(index, role);
}

void Amortization::fetch() { }

void Amortization::fetchPage()
{
    qCWarning(corvaneLog) << metaObject()->className() << "Does not support pagination";
}

void Amortization::fetchPlan(const QString& technicalFormId, const QString& lcr)
{
    qCDebug(corvaneLog) << "Start fetching amortization plan data from the server";
    // A plan still on its way belongs to the previous position.
    withdrawCommand(commandManager, pending);
    clearRows();
    pending = new Command::Search::Amortization(this, technicalFormId, lcr);
    execute(pending);
}

}
