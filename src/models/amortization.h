#pragma once

#include "models/abstractpaginatedtable.h"
#include "models/instalment.h"

#include <QPointer>

namespace Corvane {
namespace Command::Search {
    class Amortization;
}

namespace Model {

    /// The amortization plan of the position on screen, unpaid instalments in grey. It has no
    /// pages: the plan comes whole for one technical form. Created by the flow manager with the
    /// position detail window.
    class Amortization final : public AbstractPaginatedTable {
        Q_OBJECT
    public:
        explicit Amortization(CommandManager* commandManager, QObject* parent = nullptr);

        QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

        /// The plan's instalments with their amounts as numbers (nothing for an unreadable one).
        QVector<Instalment> getInstalments() const;

        /// Asks for the plan of one technical form; the previous plan goes at once.
        void fetchPlan(const QString& technicalFormId, const QString& lcr);

    private:
        QPointer<Command::Search::Amortization> pending;
    };

}
}
