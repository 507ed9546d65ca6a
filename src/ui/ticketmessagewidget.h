#pragma once

#include <QWidget>

#include <memory>

namespace Corvane {

class TicketMessage;

namespace Ui {
    class TicketMessageWidget;
}

/// One message of a ticket's conversation: who wrote it, when, and the text. Copies what it
/// shows, so it outlives the message it was built from; made by the ticket detail window.
class TicketMessageWidget final : public QWidget {
    Q_OBJECT
public:
    explicit TicketMessageWidget(const TicketMessage* message, QWidget* parent = nullptr);
    ~TicketMessageWidget() override;

private:
    std::unique_ptr<Ui::TicketMessageWidget> ui;
};

}
