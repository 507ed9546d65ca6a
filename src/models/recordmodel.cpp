#include "models/recordmodel.h"

#include "models/commandrelease.h"

namespace Corvane::Model {

RecordModel::RecordModel(CommandManager* commandManager, QObject* parent)
    : QObject(parent)
    , commandManager(commandManager)
{
    releaseEndedCommands(commandManager, this);
}

}
