#include "models/anagraphic.h"

#include "commands/search/anagraphic.h"
#include "models/commandrelease.h"
#include "protocol/commandmanager.h"

namespace Corvane::Model {

Anagraphic::Anagraphic(CommandManager* commandManager, QObject* parent)
    : RecordModel(commandManager, parent)
{
}

const QStringList& Anagraphic::getKeys()
{
    static const QStringList keys { QStringLiteral("ragione_sociale"), QStringLiteral("indirizzo"),
        QStringLiteral("cod_fiscale"), QStringLiteral("partita_iva"), QStringLiteral("telefono"),
        QStringLiteral("fax"), QStringLiteral("email"), QStringLiteral("data_costituzione"),
        QStringLiteral("cciaa"), QStringLiteral("rae"), QStringLiteral("sae"),
        QStringLiteral("albo_ruolo"), QStringLiteral("impresa_tipo"),
        QStringLiteral("impresa_settore_merceologico"), QStringLiteral("impresa_attivita"),
        QStringLiteral("anag_prec"), QStringLiteral("anag_succ"),
        QStringLiteral("data_sostituzione") };
    return keys;
}

void Anagraphic::fetch(const QString& recordId)
{
    id = recordId;
    replacePending(commandManager, this, pending, new Command::Search::Anagraphic(this, recordId));
}

void Anagraphic::update(Command::Search::Anagraphic* command)
{
    values = command->getValues();
    emit anagraphicUpdated();
}

}
