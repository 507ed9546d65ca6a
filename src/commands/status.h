#pragma once

#include "commands/formcommand.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/noabicommandinterface.h"

namespace Corvane {
namespace Model {
    class Status;
}

namespace Command {

    /// The position states by key, for the state filter. Created by the status model for one
    /// request; hands the states back to it.
    class Status final : public ReportingCommand<Model::Status>,
                         public Interface::AuthenticatedCommandInterface,
                         public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        explicit Status(Model::Status* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QMap<QString, QString> getResults() const { return results; }

    private:
        QMap<QString, QString> results;
    };

}
}
