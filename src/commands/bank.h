#pragma once

#include "commands/formcommand.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/noabicommandinterface.h"

namespace Corvane {
namespace Model {
    class Bank;
}

namespace Command {

    /// Lists the banks enabled for the signed-in user, as labels "ABI - Name" by key. Created by
    /// the bank model for one request; hands the labels back to it.
    class Bank final : public ReportingCommand<Model::Bank>,
                       public Interface::AuthenticatedCommandInterface,
                       public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        explicit Bank(Model::Bank* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QMap<QString, QString> getResults() const { return results; }

    private:
        QMap<QString, QString> results;
    };

}
}
