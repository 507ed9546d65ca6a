#pragma once

#include "commands/lookup.h"

#include <QStringList>

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command {

    /// The province initials. Created by the address wrapper for one request; hands them back.
    class ProvinceInitials final : public LookUp<QStringList, Model::AddressWrapper, HomeTags> {
        Q_OBJECT
    public:
        explicit ProvinceInitials(Model::AddressWrapper* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

}
}
