#pragma once

#include "commands/lookup.h"

namespace Corvane {
namespace Model {
    class Status;
}

namespace Command {

    /// The position states by key, for the state filter. Created by the status model for one
    /// request; hands the states back to it.
    class Status final : public LookUp<QMap<QString, QString>, Model::Status, SessionTags> {
        Q_OBJECT
    public:
        explicit Status(Model::Status* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

}
}
