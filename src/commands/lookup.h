#pragma once

#include "commands/reportingcommand.h"

namespace Corvane::Command {

/// A reporting command whose result is one value, a list or a map read from the reply.
template <typename Result, typename Accepter, typename Tags = NoTags>
class LookUp : public ReportingCommand<Accepter, Tags> {
public:
    Result getResults() const { return results; }

protected:
    using ReportingCommand<Accepter, Tags>::ReportingCommand;

    Result results {};
};

}
