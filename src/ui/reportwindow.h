#pragma once

#include "ui/abstracttablewindow.h"

#include <memory>

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}

namespace Model {
    class Report;
}
namespace Ui {
    class ReportWindow;
}

/// The bank's reports in a date range; a double click saves a report's file where the user
/// chooses and opens it.
class ReportWindow final : public AbstractTableWindow {
    Q_OBJECT
public:
    ReportWindow(Interface::WindowRequestInterface* applicationManager,
        HeaderToolbar* headerToolbar, Model::Report* model, QWidget* parent = nullptr);
    ~ReportWindow() override;

public slots:
    void open() override;
    void onCellDoubleClicked(const QModelIndex& index) override;
    void updateInterfaceDetails() override;
    void onDateFilterToggle(bool isEnabled);
    void onReportDownloadComplete(bool success);
    /// The progress dialog was given up or closed: a download under way is withdrawn.
    void onDownloadCanceled();

protected:
    SearchFilters readSearchFilters() const override;
    void clearSearchFields() override;

private:
    std::unique_ptr<Ui::ReportWindow> ui;
    Interface::WindowRequestInterface* applicationManager;
    Model::Report* reportModel;
    QString reportPath;
    bool reportEmpty = false;
};

}
