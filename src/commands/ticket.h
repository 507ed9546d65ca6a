#pragma once

#include "commands/paginatedsearch.h"
#include "protocol/noabicommandinterface.h"

namespace Corvane {

struct SearchFilters;

namespace Model {
    class Ticket;
}

namespace Command {

    /// The consortium's support tickets by state and date range, all in one reply. Created by the
    /// ticket model for one request; hands the list back to it.
    class Ticket final : public PaginatedSearch, public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        Ticket(Model::Ticket* model, const SearchFilters& filters);
    };

}
}
