#include "commands/formcommand.h"

#include "core/logging.h"

namespace Corvane::Command {

FormCommand::FormCommand(const QString& path, const QMap<QString, QString>& parameters)
    : path(path)
    , parameters(parameters)
{
}

void FormCommand::logUse() const
{
    qCDebug(corvaneLog) << "useResponse"
                        << "Triggered in" << metaObject()->className();
}

}
