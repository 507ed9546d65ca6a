#pragma once

#include <QMap>
#include <QPointer>
#include <QStringListModel>

namespace Corvane {

class CommandManager;

namespace Command {
    class Status;
}

namespace Model {

    /// The descriptions of the position states, for the state filter, fetched once per run.
    /// Created by the flow manager with the position model.
    class Status final : public QStringListModel {
        Q_OBJECT
    public:
        explicit Status(CommandManager* commandManager, QObject* parent = nullptr);
        ~Status() override;

        void fetch();
        void setStatuses(Command::Status* command);
        /// The key of the first state with that description; empty for none.
        QString getStatusKey(const QString& description) const;

    private:
        CommandManager* commandManager;
        QMap<QString, QString> statuses;
        QPointer<Command::Status> pending;
    };

}
}
