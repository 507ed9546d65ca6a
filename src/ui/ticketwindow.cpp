#include "ui/ticketwindow.h"

#include "core/logging.h"
#include "models/searchfilters.h"
#include "models/ticket.h"
#include "ui/ticketdetailwindow.h"
#include "ui_ticketwindow.h"

namespace Corvane {

TicketWindow::TicketWindow(HeaderToolbar* headerToolbar, Model::Ticket* model, QWidget* parent)
    : AbstractTableWindow(headerToolbar, model, parent)
    , ui(std::make_unique<Ui::TicketWindow>())
    , ticketModel(model)
    , ticketDetailWindow(new TicketDetailWindow(model, this))
{
    ui->setupUi(this);
    setUpTable(ui->dataTable, ui->searchButton, ui->fetchButton, ui->statusBarLayout, false,
        QStringLiteral("Ticket"));
    setColumns(ui->dataTable, { { 3, 80 }, { 4, 650 }, { 5, 80 }, { 6, 80 } }, { 0, 1, 2 });
    const QDate today = QDate::currentDate();
    ui->toDate->setDate(today);
    ui->fromDate->setDate(today.addMonths(-4));
    connect(ui->dateFilterEnabled, &QCheckBox::toggled, this, &TicketWindow::onDateFilterToggle);
}

TicketWindow::~TicketWindow() = default;

void TicketWindow::open()
{
    takeHeaderToolbar(ui->headerLayout);
    search();
    QDialog::open();
}

SearchFilters TicketWindow::readSearchFilters() const
{
    SearchFilters filters;
    filters.ticketStatus = QString::number(ui->status->currentIndex());
    readDateRange(filters, ui->dateFilterEnabled, ui->fromDate, ui->toDate);
    return filters;
}

void TicketWindow::clearSearchFields()
{
    ui->dateFilterEnabled->setChecked(false);
    ui->status->setCurrentIndex(0);
}

void TicketWindow::onCellDoubleClicked(const QModelIndex& index)
{
    qCDebug(corvaneLog) << "onCellDoubleClicked"
                        << "SLOT triggered in" << metaObject()->className();
    ticketModel->fetchDetail(index);
    ticketDetailWindow->open();
}

void TicketWindow::updateInterfaceDetails()
{
    showResultCount(QStringLiteral("Trovati %1 ticket"));
}

void TicketWindow::onDateFilterToggle(bool isEnabled)
{
    setAllEnabled({ ui->fromDateLabel, ui->fromDate, ui->toDateLabel, ui->toDate }, isEnabled);
}

}
