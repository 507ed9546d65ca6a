#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

namespace Model {
    class Ticket;
}
namespace Ui {
    class InsertTicketWindow;
}

/// Opens a support ticket: subject, text and the address for reply notices, proposed from the
/// user's own. One instance, made by the flow manager and shared by the main window and the
/// list windows' header tool bar.
class InsertTicketWindow final : public QDialog {
    Q_OBJECT
public:
    explicit InsertTicketWindow(Model::Ticket* ticketModel, QWidget* parent = nullptr);
    ~InsertTicketWindow() override;

    QString getSubject() const;
    QString getText() const;
    QString getEmail() const;

public slots:
    void onAcceptButtonClicked();
    void onTicketInsertionCompleted(const QString& code);
    /// Tells why the ticket was not inserted; the form stays open with what was typed.
    void onTicketInsertionFailed(const QString& code, const QString& description);
    void onTicketUserEmailRetrived();

private:
    std::unique_ptr<Ui::InsertTicketWindow> ui;
    Model::Ticket* ticketModel;
};

}
