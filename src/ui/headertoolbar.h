#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Corvane {

class InsertTicketWindow;

namespace Ui {
    class HeaderToolbar;
}

/// The strip at the top of the list windows: "Home" closes the window it sits in, "Nuovo Ticket"
/// opens the new-ticket dialog. One instance, made by the flow manager and moved into whichever
/// list window opens.
class HeaderToolbar final : public QWidget {
    Q_OBJECT
public:
    explicit HeaderToolbar(InsertTicketWindow* insertTicketWindow, QWidget* parent = nullptr);
    ~HeaderToolbar() override;

public slots:
    void onCloseButtonClicked();
    void onNewTicketButtonClicked();

private:
    std::unique_ptr<Ui::HeaderToolbar> ui;
    QPointer<InsertTicketWindow> insertTicketWindow;
};

}
