#include "commands/bank.h"

#include "core/logging.h"
#include "models/bank.h"

namespace Corvane::Command {

Bank::Bank(Model::Bank* owner)
    : owner(owner)
{
}

QString Bank::getPath() const { return QStringLiteral("/corvane/v5/home/banche"); }

void Bank::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    for (const DataRow& row : qAsConst(dataRows)) {
        for (auto it = row.cbegin(); it != row.cend(); ++it) {
            qCDebug(corvaneLog) << metaObject()->className() << ": inserted" << it.key()
                                << it.value() << "into results map";
            results.insert(it.key(), it.value());
        }
    }
    owner->setBanks(this);
}

}
