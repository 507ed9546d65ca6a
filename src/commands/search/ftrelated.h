#pragma once

#include "commands/reportingcommand.h"

namespace Corvane {
namespace Model {
    class PositionDetails;
}

namespace Command::Search {

    /// The other technical forms of a position's file. Created by the position-details model for
    /// one request; hands the forms back to it only when there are some.
    class FtRelated final : public ReportingCommand<Model::PositionDetails, BankTags> {
        Q_OBJECT
    public:
        FtRelated(
            Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QList<DataRow> getRows() const { return rows; }

    private:
        QList<DataRow> rows;
    };

}
}
