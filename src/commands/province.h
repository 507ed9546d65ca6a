#pragma once

#include "commands/lookup.h"

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command {

    /// The provinces by id. Created by the address wrapper for one request; hands them back.
    class Province final : public LookUp<QMap<QString, QString>, Model::AddressWrapper, HomeTags> {
        Q_OBJECT
    public:
        explicit Province(Model::AddressWrapper* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

}
}
