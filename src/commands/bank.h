#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane {
namespace Model {
    class Bank;
}

namespace Command {

    /// Lists the banks enabled for the signed-in user, as labels "ABI - Name" by key. Created by
    /// the bank model for one request; hands the labels back to it.
    class Bank final : public QObject,
                       public Interface::CommandInterface,
                       public Interface::AuthenticatedCommandInterface,
                       public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        explicit Bank(Model::Bank* owner);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override { return parameters; }
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QMap<QString, QString> getResults() const { return results; }

    private:
        Model::Bank* owner;
        QMap<QString, QString> parameters;
        QMap<QString, QString> results;
    };

}
}
