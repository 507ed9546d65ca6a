#pragma once

#include "commands/reportingcommand.h"

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command::Search {

    /// The postal code of a municipality. Created by the address wrapper for one request; hands
    /// the code back to it.
    class Cap final : public ReportingCommand<Model::AddressWrapper> {
        Q_OBJECT
    public:
        Cap(Model::AddressWrapper* model, const QString& municipalityId);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QString getCap() const { return cap; }

    private:
        QString cap;
    };

}
}
