#pragma once

#include "commands/reportingcommand.h"

namespace Corvane {
namespace Model {
    class Ticket;
}

namespace Command {

    /// The signed-in user's e-mail address, proposed for ticket reply notices. Created by the
    /// ticket model for one request; hands the address back to it.
    class TicketUserEmail final : public ReportingCommand<Model::Ticket, SessionTags> {
        Q_OBJECT
    public:
        explicit TicketUserEmail(Model::Ticket* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QString getEmail() const { return email; }

    private:
        QString email;
    };

}
}
