#pragma once

#include "commands/lookup.h"

namespace Corvane {
namespace Model {
    class Bank;
}

namespace Command {

    /// Lists the banks enabled for the signed-in user, as labels "ABI - Name" by key. Created by
    /// the bank model for one request; hands the labels back to it.
    class Bank final : public LookUp<QMap<QString, QString>, Model::Bank, SessionTags> {
        Q_OBJECT
    public:
        explicit Bank(Model::Bank* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

}
}
