#pragma once

#include "commands/lookup.h"

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command::Search {

    /// The municipalities of a province by id. Created by the address wrapper for one request;
    /// hands them back.
    class City final : public LookUp<QMap<QString, QString>, Model::AddressWrapper> {
        Q_OBJECT
    public:
        City(Model::AddressWrapper* model, const QString& value);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

}
}
