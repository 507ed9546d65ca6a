#pragma once

#include <QMap>
#include <QObject>
#include <QString>

namespace Corvane {

class CommandManager;

namespace Model {

    /// A model of one record, the values of the last reply by key, fetched through the command
    /// manager; the commands it owns are freed once the queue ends them.
    class RecordModel : public QObject {
        Q_OBJECT
    public:
        /// The value of one of the reply keys; empty until a reply carries it.
        QString getValue(const QString& key) const { return values.value(key); }

    protected:
        RecordModel(CommandManager* commandManager, QObject* parent);

        CommandManager* const commandManager;
        QMap<QString, QString> values;
    };

}
}
