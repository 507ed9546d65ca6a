#include "commands/search/anagraphic.h"

#include "commands/search/detailrecord.h"
#include "models/anagraphic.h"

namespace Corvane::Command::Search {

Anagraphic::Anagraphic(Model::Anagraphic* model, const QString& recordId)
    : ReportingCommand(model, QStringLiteral("/corvane/v5/search/i_anag"),
        { { QStringLiteral("i_anag"), recordId } })
{
}

void Anagraphic::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    logUse();
    values = firstRecordValues(dataRows, Model::Anagraphic::getKeys());
    accepter->update(this);
}

}
