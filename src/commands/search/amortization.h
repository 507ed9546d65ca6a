#pragma once

#include "commands/paginatedsearch.h"

namespace Corvane {
namespace Model {
    class Amortization;
}

namespace Command::Search {

    /// The amortization plan of one technical form, all instalments in one reply. Created by the
    /// amortization model for one request; hands the plan back to it.
    class Amortization final : public PaginatedSearch {
        Q_OBJECT
    public:
        Amortization(
            Model::Amortization* model, const QString& technicalFormId, const QString& lcr);
    };

}
}
