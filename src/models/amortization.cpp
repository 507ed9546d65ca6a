#include "models/amortization.h"

#include "commands/search/amortization.h"
#include "core/logging.h"
#include "models/cellstyle.h"
#include "models/commandrelease.h"

#include <QColor>
#include <QLocale>

namespace Corvane::Model {

Amortization::Amortization(CommandManager* commandManager, QObject* parent)
    : AbstractPaginatedTable(commandManager, parent)
{
    addColumns({
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
    });
    using Kind = ExportColumn::Kind;
    setColumnKinds({ { "numero_rata", Kind::Integer }, { "rata", Kind::Amount },
        { "quota_capitale", Kind::Amount }, { "quota_interesse", Kind::Amount },
        { "debito_residuo", Kind::Amount }, { "capitale_rimborsato", Kind::Amount },
        { "interessi_pagati", Kind::Amount }, { "data_scadenza", Kind::Date },
        { "data_pagamento", Kind::Date } });
}

QVector<Instalment> Amortization::getInstalments() const
{
    // The server writes amounts the Italian way: "1.234,56".
    static const QLocale italian(QLocale::Italian, QLocale::Italy);
    const auto amount = [](const QString& text) {
        bool ok = false;
        const double value = italian.toDouble(text, &ok);
        return ok ? value : 0.0;
    };
    QVector<Instalment> plan;
    plan.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row) {
        const auto value
            = [this, row](const char* key) { return getValue(row, QLatin1String(key)); };
        plan.append({ value("numero_rata"), amount(value("quota_capitale")),
            amount(value("quota_interesse")), amount(value("debito_residuo")),
            value("rata_pagata") != QLatin1String("N") });
    }
    return plan;
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

void Amortization::fetchPlan(const QString& technicalFormId, const QString& lcr)
{
    qCDebug(corvaneLog) << "Start fetching amortization plan data from the server";
    // A plan still on its way belongs to the previous position.
    clearRows();
    replacePending(commandManager, this, pending,
        new Command::Search::Amortization(this, technicalFormId, lcr));
}

}
