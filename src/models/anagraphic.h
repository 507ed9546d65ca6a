#pragma once

#include "models/recordmodel.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace Corvane {

namespace Command::Search {
    class Anagraphic;
}

namespace Model {

    /// One company record as the last reply gave it, with the ids of the records before and
    /// after it ("anag_prec", "anag_succ"). Created once by the flow manager and handed to the
    /// company record window, which never owns it.
    class Anagraphic final : public RecordModel {
        Q_OBJECT
    public:
        explicit Anagraphic(CommandManager* commandManager, QObject* parent = nullptr);

        /// The eighteen reply keys of a company record, in the order they are read.
        static const QStringList& getKeys();

        /// Asks for the record; one still on its way for another id is dropped.
        void fetch(const QString& recordId);
        void update(Command::Search::Anagraphic* command);

        QString getId() const { return id; }

    signals:
        void anagraphicUpdated();

    private:
        QString id;
        QPointer<QObject> pending;
    };

}
}
