#include "models/company.h"

#include "core/logging.h"
#include "commands/search/company.h"
#include "models/addresswrapper.h"
#include "ui/paginator.h"

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
}

void Company::fetch()
{
    qCDebug(corvaneLog) << "Start fetching Company registry data from the server";
    clearForNewSearch();
    queueSearch();
}

void Company::fetchPage()
{
    qCDebug(corvaneLog) << "Start fetching data from starting page" << getPaginator()->getStart();
    queueSearch();
}

void Company::queueSearch()
{
    execute(new Command::Search::Company(this, getSearchFilters(), getPaginator()));
}

void Company::fetchProvinces() { addressWrapper->fetchProvinces(); }

QStringListModel* Company::getProvinceModel() const { return addressWrapper->getProvinceModel(); }

QString Company::getProvinceKey(const QString& name) const
{
    return addressWrapper->getProvinceKey(name);
}

}
