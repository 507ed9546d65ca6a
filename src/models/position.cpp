#include "models/position.h"

#include "commands/search/position.h"
#include "models/cellstyle.h"

#include <array>

namespace Corvane::Model {

Position::Position(CommandManager* commandManager, QObject* parent)
    : AbstractPaginatedTable(commandManager, parent)
{
    const QList<std::array<const char*, 3>> visible {
        { "num_delib_c", "LCR", "numero" },
        { "i_ragsoc", "Impresa", "impresa" },
        { "b_ragsoc", "Banca", "banca" },
        { "data_delib_c", "Delibera banca", "delib" },
        { "codice_ft", "Forma tecnica", "ldc" },
        { "importo", "Importo", "importo" },
        { "data_perf", "Perfezionato", "perf" },
        { "gar_num", "Gar.Num.", "garnum" },
        { "gar_perc", "Gar.Perc.", "garperc" },
        { "stato", "Stato", "stato" },
    };
    for (const auto& column : visible) {
        addColumn(QString::fromLatin1(column[0]), QString::fromLatin1(column[1]),
            QString::fromLatin1(column[2]));
    }
    for (const char* key : { "pratica_id", "pratica_forma_tecnica_id", "codice_descr_ft",
             "pratica_ft_stato_id", "pratica_ft_sottostato_id", "data_delib_c_ord", "data_perf_ord",
             "erogata_non_deliberata", "abi", "ragsoc_completa", "banca_abi_id", "stato_breve",
             "stato_colore", "stato_id", "sottostato_id" }) {
        const QString name = QString::fromLatin1(key);
        addColumn(name, name == QLatin1String("stato_breve") ? QStringLiteral("stato") : name);
    }
    using Kind = ExportColumn::Kind;
    setColumnKinds({ { "num_delib_c", Kind::Code }, { "data_delib_c", Kind::Date },
        { "codice_ft", Kind::Code }, { "importo", Kind::Amount }, { "data_perf", Kind::Date },
        { "gar_num", Kind::Code }, { "gar_perc", Kind::Percentage } });
    setSearchLogLines("Starting fetching Positions from the server",
        "Start fetchig  data from the starting page");
}

QVariant Position::data(const QModelIndex& index, int role) const
{
    if (!isCell(index))
        return {};
    if (role == Qt::TextAlignmentRole) {
        const QString column = getColumnName(index.column());
        if (column == QLatin1String("importo"))
            return rightAligned();
        static const QStringList centredColumns { QStringLiteral("num_delib_c"),
            QStringLiteral("data_delib_c"), QStringLiteral("codice_ft"),
            QStringLiteral("data_perf"), QStringLiteral("gar_num"), QStringLiteral("gar_perc"),
            QStringLiteral("stato") };
        return centredColumns.contains(column) ? centred() : QVariant();
    }
    if (role == Qt::ForegroundRole) {
        if (getColumnName(index.column()) != QLatin1String("stato"))
            return {};
        return serverColour(getValue(index.row(), QStringLiteral("stato_colore")));
    }
    return AbstractPaginatedTable::data(index, role);
}

QObject* Position::createSearch(const SearchFilters& filters, int start)
{
    return new Command::Search::Position(this, filters, start);
}

}
