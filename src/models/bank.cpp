#include "models/bank.h"

#include "commands/lookup.h"
#include "core/logging.h"
#include "models/commandrelease.h"
#include "protocol/commandmanager.h"

namespace Corvane::Model {

Bank::Bank(CommandManager* commandManager, QObject* parent)
    : QStringListModel(parent)
    , commandManager(commandManager)
{
}

Bank::~Bank()
{
    // A fetch still on its way must not deliver to a model that is gone.
    if (pending && commandManager)
        commandManager->withdraw(pending);
    delete pending.data();
}

void Bank::fetch()
{
    qCDebug(corvaneLog) << "Start fetching banks";
    // A fetch already on its way will deliver the list; one that ended without a reply is
    // replaced.
    queueOnce(commandManager.data(), pending, [this] { return new Command::Bank(this); });
}

void Bank::setBanks(Command::Bank* command)
{
    banks = command->getResults();
    // Each reply is the whole list: it replaces the labels, so a second fetch lists no bank twice.
    QStringList labels = banks.values();
    std::sort(labels.begin(), labels.end());
    setStringList(labels);
    releaseAnswered(pending, command);
    emit bankDetailRetrived();
}

}
