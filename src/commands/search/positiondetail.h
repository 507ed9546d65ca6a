#pragma once

#include "commands/reportingcommand.h"

namespace Corvane {
namespace Model {
    class PositionDetails;
}

namespace Command::Search {

    /// A request about one technical form of a position, made by the position-details model for
    /// one request and answered back to it.
    class PositionRequest : public ReportingCommand<Model::PositionDetails, BankTags> {
    protected:
        PositionRequest(Model::PositionDetails* model, const QString& path,
            const QString& technicalFormId, const QString& lcr);

        /// Logs a reply without records; true when there are none.
        bool isEmptyReply(const QList<DataRow>& dataRows) const;
    };

    /// One position in full: company, bank, technical form and its four stages.
    class PositionDetail final : public PositionRequest {
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

    /// The other technical forms of a position's file, handed back only when there are some.
    class FtRelated final : public PositionRequest {
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
