#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Corvane {

class InsertTicketMessageWindow;
class InsertTicketWindow;

namespace Ui {
    class HeaderToolbar;
}

/// The strip at the top of the ticket and list windows: "Home" closes the window it sits in; the
/// second button opens the new-ticket dialog ("Nuovo Ticket") or, in a ticket detail window, the
/// new-message dialog ("Nuovo Messaggio"). The list windows share one instance, made by the flow
/// manager and moved into whichever opens; each ticket detail window has its own.
class HeaderToolbar final : public QWidget {
    Q_OBJECT
public:
    explicit HeaderToolbar(InsertTicketWindow* insertTicketWindow, QWidget* parent = nullptr);
    explicit HeaderToolbar(
        InsertTicketMessageWindow* insertTicketMessageWindow, QWidget* parent = nullptr);
    ~HeaderToolbar() override;

public slots:
    void onCloseButtonClicked();
    void onNewTicketButtonClicked();
    void onNewTicketMessageButtonClicked();

private:
    /// The form and its "Home" button.
    explicit HeaderToolbar(QWidget* parent);
    /// A button of the tool bar that calls slot, reachable from the keyboard.
    void addButton(const QString& icon, const QString& text, void (HeaderToolbar::*slot)());

    std::unique_ptr<Ui::HeaderToolbar> ui;
    QPointer<InsertTicketWindow> insertTicketWindow;
    QPointer<InsertTicketMessageWindow> insertTicketMessageWindow;
};

}
