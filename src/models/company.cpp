#include "models/company.h"

#include "commands/search/company.h"
#include "models/addresswrapper.h"

namespace Corvane::Model {

Company::Company(CommandManager* commandManager, AddressWrapper* addressWrapper, QObject* parent)
    : AbstractPaginatedTable(commandManager, parent)
    , addressWrapper(addressWrapper)
{
    addColumn(
        QStringLiteral("anag_id"), QStringLiteral("Id anagrafica"), QStringLiteral("anag_id"));
    addColumn(QStringLiteral("ragione_sociale"), QStringLiteral("Ragione sociale"),
        QStringLiteral("ragsoc"));
    addColumn(QStringLiteral("comune"), QStringLiteral("Comune"), QStringLiteral("comune"));
    addColumn(
        QStringLiteral("provincia"), QStringLiteral("Provincia"), QStringLiteral("provincia"));
    addColumn(
        QStringLiteral("cod_fiscale"), QStringLiteral("Codice Fiscale"), QStringLiteral("cf"));
    addColumn(QStringLiteral("partita_iva"), QStringLiteral("Partita IVA"), QStringLiteral("pi"));
    addColumn(QStringLiteral("ragsoc_C"), QStringLiteral("Confidi"));
    using Kind = ExportColumn::Kind;
    setColumnKinds({ { "anag_id", Kind::Code }, { "cod_fiscale", Kind::Code },
        { "partita_iva", Kind::Code } });
    setSearchLogLines("Start fetching Company registry data from the server",
        "Start fetching data from starting page");
}

QObject* Company::createSearch(const SearchFilters& filters, int start)
{
    return new Command::Search::Company(this, filters, start);
}

void Company::fetchProvinces() { addressWrapper->fetchProvinces(); }

QStringListModel* Company::getProvinceModel() const { return addressWrapper->getProvinceModel(); }

QString Company::getProvinceKey(const QString& name) const
{
    return addressWrapper->getProvinceKey(name);
}

}
