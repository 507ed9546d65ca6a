#pragma once

#include "commands/formcommand.h"
#include "protocol/noabicommandinterface.h"

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command {

    /// The provinces by id. Created by the address wrapper for one request; hands them back.
    class Province final : public ReportingCommand<Model::AddressWrapper>,
                           public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        explicit Province(Model::AddressWrapper* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QMap<QString, QString> getResults() const { return results; }

    private:
        QMap<QString, QString> results;
    };

}
}
