#include "commands/search/anagraphic.h"

#include "core/logging.h"
#include "commands/search/detailrecord.h"
#include "models/anagraphic.h"

namespace Corvane::Command::Search {

Anagraphic::Anagraphic(Model::Anagraphic* model, const QString& recordId)
    : model(model)
    , recordId(recordId)
{
}

QString Anagraphic::getPath() const { return QStringLiteral("/corvane/v5/search/i_anag"); }

QMap<QString, QString> Anagraphic::getParameters() const
{
    return { { QStringLiteral("i_anag"), recordId } };
}

void Anagraphic::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    qCDebug(corvaneLog) << "useResponse"
                        << "Triggered in" << metaObject()->className();
    values = firstRecordValues(dataRows, Model::Anagraphic::getKeys());
    model->update(this);
}

}
