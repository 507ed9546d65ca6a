#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

class HeaderToolbar;
class InsertTicketMessageWindow;

namespace Model {
    class Ticket;
    class TicketConversation;
}
namespace Ui {
    class TicketDetailWindow;
}

/// A support ticket's request and its conversation, newest message first, with the tool bar that
/// adds a message. The conversation is one list of painted cards, so that a ticket of any length
/// opens at once. Created by the ticket list window and reused for every ticket; owns its
/// new-message dialog, its tool bar and the conversation's model.
class TicketDetailWindow final : public QDialog {
    Q_OBJECT
public:
    explicit TicketDetailWindow(Model::Ticket* ticketModel, QWidget* parent = nullptr);
    ~TicketDetailWindow() override;

    InsertTicketMessageWindow* getInsertTicketMessageWindow() const
    {
        return insertTicketMessageWindow;
    }

public slots:
    /// Shows the chosen ticket's header at once; its conversation follows the reply.
    void open() override;
    void onTicketDetailRetrived();

private:
    std::unique_ptr<Ui::TicketDetailWindow> ui;
    Model::Ticket* ticketModel;
    Model::TicketConversation* conversation;
    InsertTicketMessageWindow* insertTicketMessageWindow;
    HeaderToolbar* headerToolbar;
};

}
