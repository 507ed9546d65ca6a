#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

namespace Model {
    class Ticket;
}
namespace Ui {
    class InsertTicketMessageWindow;
}

/// Adds a message to the ticket open in its ticket detail window, of which it is a child.
class InsertTicketMessageWindow final : public QDialog {
    Q_OBJECT
public:
    explicit InsertTicketMessageWindow(Model::Ticket* ticketModel, QWidget* parent = nullptr);
    ~InsertTicketMessageWindow() override;

    QString getMessage() const;

public slots:
    void onAcceptButtonClicked();
    void onTicketMessageInsertionCompleted();
    /// Tells why the message was not inserted; the form stays open with what was typed.
    void onTicketMessageInsertionFailed(const QString& code, const QString& description);

private:
    std::unique_ptr<Ui::InsertTicketMessageWindow> ui;
    Model::Ticket* ticketModel;
};

}
