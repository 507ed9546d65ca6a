#pragma once

#include "commands/reportingcommand.h"

namespace Corvane {
namespace Model {
    class Ticket;
}

namespace Command {

    /// The request of one support ticket and its conversation. Created by the ticket model for
    /// one request, with the id of the ticket chosen then; hands the records back to it.
    class TicketDetail final : public ReportingCommand<Model::Ticket, SessionTags> {
        Q_OBJECT
    public:
        TicketDetail(Model::Ticket* model, const QString& ticketId);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QList<DataRow> getRows() const { return rows; }

    private:
        QList<DataRow> rows;
    };

}
}
