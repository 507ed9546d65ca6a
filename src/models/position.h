#pragma once

#include "models/abstractpaginatedtable.h"

namespace Corvane::Model {

/// The loan positions at the bank, one page at a time, with the state text in the state's
/// colour. Created by the flow manager with the position window.
class Position final : public AbstractPaginatedTable {
    Q_OBJECT
public:
    explicit Position(CommandManager* commandManager, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void setPositionsSinceLastAccess(int count) { positionsSinceLastAccess = count; }
    int getPositionsSinceLastAccess() const { return positionsSinceLastAccess; }

private:
    QObject* createSearch(const SearchFilters& filters, int start) override;

    int positionsSinceLastAccess = 0;
};

}
