#pragma once

#include "commands/reportingcommand.h"

namespace Corvane {
namespace Model {
    class PositionDetails;
}

namespace Command::Search {

    /// One position in full: company, bank, technical form and its four stages. Created by the
    /// position-details model for one request; hands the values back to it.
    class PositionDetail final : public ReportingCommand<Model::PositionDetails, BankTags> {
        Q_OBJECT
    public:
        PositionDetail(
            Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        /// The value of one of the position's reply keys; empty before the reply.
        QString getValue(const QString& key) const { return values.value(key); }
        QMap<QString, QString> getValues() const { return values; }

    private:
        QMap<QString, QString> values;
    };

}
}
