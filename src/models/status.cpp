#include "models/status.h"

#include "commands/lookup.h"
#include "core/logging.h"
#include "models/commandrelease.h"
#include "protocol/commandmanager.h"

namespace Corvane::Model {

Status::Status(CommandManager* commandManager, QObject* parent)
    : QStringListModel(parent)
    , commandManager(commandManager)
{
}

Status::~Status() { delete pending.data(); }

void Status::fetch()
{
    qCDebug(corvaneLog) << "Start fetching status";
    if (rowCount() > 0) {
        qCDebug(corvaneLog) << "Status list was already fetched previously";
        return;
    }
    // A fetch on its way will deliver the list; one that ended without a reply is replaced.
    queueOnce(commandManager, pending, [this] { return new Command::Status(this); });
}

void Status::setStatuses(Command::Status* command)
{
    statuses = command->getResults();
    setStringList(statuses.values());
    releaseAnswered(pending, command);
}

QString Status::getStatusKey(const QString& description) const
{
    for (auto it = statuses.cbegin(); it != statuses.cend(); ++it) {
        if (it.value() == description)
            return it.key();
    }
    return {};
}

}
