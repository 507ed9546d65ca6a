#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane {
namespace Model {
    class Ticket;
}

namespace Command {

    /// The signed-in user's e-mail address, proposed for ticket reply notices. Created by the
    /// ticket model for one request; hands the address back to it.
    class TicketUserEmail final : public QObject,
                                  public Interface::CommandInterface,
                                  public Interface::AuthenticatedCommandInterface,
                                  public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        explicit TicketUserEmail(Model::Ticket* model);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override { return {}; }
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QString getEmail() const { return email; }

    private:
        Model::Ticket* model;
        QString email;
    };

}
}
