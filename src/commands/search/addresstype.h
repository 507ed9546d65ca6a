#pragma once

#include "commands/lookup.h"

#include <QStringList>

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command::Search {

    /// The kinds of company address. Created by the address wrapper for one request; hands them
    /// back.
    class AddressType final : public LookUp<QStringList, Model::AddressWrapper> {
        Q_OBJECT
    public:
        explicit AddressType(Model::AddressWrapper* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

}
}
