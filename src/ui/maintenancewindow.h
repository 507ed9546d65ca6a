#pragma once

#include <QDialog>

#include <memory>

class QDateTime;

namespace Corvane {

namespace Ui {
    class MaintenanceWindow;
}

/// Tells the user that the server is under maintenance and, when known, until when.
class MaintenanceWindow final : public QDialog {
    Q_OBJECT
public:
    explicit MaintenanceWindow(QWidget* parent = nullptr);
    ~MaintenanceWindow() override;

    void setMaintenanceEnd(const QDateTime& end);

private:
    std::unique_ptr<Ui::MaintenanceWindow> ui;
};

}
