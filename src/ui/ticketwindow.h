#pragma once

#include "ui/abstracttablewindow.h"

#include <memory>

namespace Corvane {

class TicketDetailWindow;

namespace Model {
    class Ticket;
}
namespace Ui {
    class TicketWindow;
}

/// The consortium's support tickets by state and date range; listed at once when opened.
class TicketWindow final : public AbstractTableWindow {
    Q_OBJECT
public:
    TicketWindow(HeaderToolbar* headerToolbar, Model::Ticket* model, QWidget* parent = nullptr);
    ~TicketWindow() override;

    TicketDetailWindow* getTicketDetailWindow() const { return ticketDetailWindow; }

public slots:
    void open() override;
    void onCellDoubleClicked(const QModelIndex& index) override;
    void updateInterfaceDetails() override;
    void onDateFilterToggle(bool isEnabled);

protected:
    SearchFilters readSearchFilters() const override;
    void clearSearchFields() override;

private:
    std::unique_ptr<Ui::TicketWindow> ui;
    Model::Ticket* ticketModel;
    TicketDetailWindow* ticketDetailWindow;
};

}
