#pragma once

#include <QMap>
#include <QPointer>
#include <QStringListModel>

namespace Corvane {

class CommandManager;

namespace Command {
    class Bank;
}

namespace Model {

    /// The labels ("ABI - Name") of the banks enabled for the user, sorted, for the bank chooser.
    /// Created by the flow manager and kept for the life of the process.
    class Bank final : public QStringListModel {
        Q_OBJECT
    public:
        explicit Bank(CommandManager* commandManager, QObject* parent = nullptr);
        ~Bank() override;

        void fetch();
        /// Called by the command with the banks it received.
        void setBanks(Command::Bank* command);

        QStringList getBankLabels() const { return stringList(); }

    signals:
        void bankDetailRetrived();

    private:
        /// The manager may go first when the process ends.
        QPointer<CommandManager> commandManager;
        QMap<QString, QString> banks;
        QPointer<Command::Bank> pending;
    };

}
}
