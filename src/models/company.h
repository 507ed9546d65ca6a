#pragma once

#include "models/abstractpaginatedtable.h"

class QStringListModel;

namespace Corvane::Model {

class AddressWrapper;

/// The bank's client companies, one page at a time, with the province list of the search panel.
/// Created by the flow manager with the company window.
class Company final : public AbstractPaginatedTable {
    Q_OBJECT
public:
    Company(
        CommandManager* commandManager, AddressWrapper* addressWrapper, QObject* parent = nullptr);

    void setMergersPresent(bool present) { mergersPresent = present; }
    /// Whether the consortium has absorbed others, so the list shows the consortium column.
    bool isMergersPresent() const { return mergersPresent; }

    void fetchProvinces();
    QStringListModel* getProvinceModel() const;
    /// The initials of the province with that name; empty for none.
    QString getProvinceKey(const QString& name) const;

private:
    QObject* createSearch(const SearchFilters& filters, int start) override;

    AddressWrapper* addressWrapper;
    bool mergersPresent = false;
};

}
