#pragma once

#include "commands/commandtags.h"
#include "commands/formcommand.h"

namespace Corvane::Command {

/// A form command that hands its result to accepter, which outlives it: the flow manager
/// through one of its accepter interfaces, or the model that created it.
template <typename Accepter, typename Tags = NoTags>
class ReportingCommand : public FormCommand, public Tags {
protected:
    ReportingCommand(
        Accepter* accepter, const QString& path, const QMap<QString, QString>& parameters = {})
        : FormCommand(path, parameters)
        , accepter(accepter)
    {
    }

    Accepter* const accepter;
};

}
