#include "ui/maintenancewindow.h"

#include "ui_maintenancewindow.h"

#include <QDateTime>

namespace Corvane {

MaintenanceWindow::MaintenanceWindow(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::MaintenanceWindow>())
{
    ui->setupUi(this);
    connect(ui->exitButton, &QPushButton::clicked, this, &QDialog::reject);
}

MaintenanceWindow::~MaintenanceWindow() = default;

void MaintenanceWindow::setMaintenanceEnd(const QDateTime& end)
{
    ui->maintenanceEndDate->setText(end.toString(QStringLiteral("dd/MM/yyyy")));
    ui->maintenanceEndTime->setText(end.toString(QStringLiteral("HH:mm")));
}

}
