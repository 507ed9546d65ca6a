#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>
#include <QStringList>

namespace Corvane {
namespace Model {
    class Status;
}

namespace Command {

    /// The position states by key, for the state filter. Created by the status model for one
    /// request; hands the states back to it.
    class Status final : public QObject,
                         public Interface::CommandInterface,
                         public Interface::AuthenticatedCommandInterface,
                         public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        explicit Status(Model::Status* owner);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override { return parameters; }
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QMap<QString, QString> getResults() const { return results; }

    private:
        Model::Status* owner;
        QMap<QString, QString> parameters;
        QMap<QString, QString> results;
    };

}
}
