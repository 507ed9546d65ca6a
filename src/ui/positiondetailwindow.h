#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>

class QProgressDialog;
class QPushButton;
class QToolBar;

namespace Corvane {

class AmortizationPlot;
class AnagraphicWindow;
class TableColumns;

namespace Model {
    class Amortization;
    class PositionDetails;
}
namespace Ui {
    class PositionDetailWidow;
}

/// One loan position in full: company, bank, technical form, the consortium's and the bank's
/// resolutions, perfection, extinction and amortization plan; saves the server's PDF of it and
/// opens the company record. Created once by the flow manager and reused for every position;
/// shows only what its two models hold.
class PositionDetailWindow final : public QDialog {
    Q_OBJECT
public:
    PositionDetailWindow(AnagraphicWindow* anagraphicWindow, Model::Amortization* amortizationModel,
        Model::PositionDetails* positionDetailsModel, QWidget* parent = nullptr);
    ~PositionDetailWindow() override;

    /// Asks for the position and its plan; the window opens itself when the position arrives.
    void showPosition(const QString& technicalFormId, const QString& lcr);
    QProgressDialog* getDownloadProgressDialog() const;

public slots:
    void setupPositionDetailUi();
    void onCloseButtonClicked();
    void onPrintPdfButtonClicked();
    void onCommissionsButtonClicked();
    void onShowAnagraphicWindowClicked();
    void onAmortizationModelReset();
    /// Shows the plan as a chart or as the table, whichever is asked, when there is a plan.
    void showPlan(bool asChart);
    void onPositionDownloadcomplete(bool success);
    /// Writes the plan on screen to a file the user chooses.
    void onExportPlanClicked();

private:
    std::unique_ptr<Ui::PositionDetailWidow> ui;
    QPointer<AnagraphicWindow> anagraphicWindow;
    Model::Amortization* amortizationModel;
    Model::PositionDetails* positionDetailsModel;
    QToolBar* toolbar;
    /// Owned by its parent widget.
    AmortizationPlot* chart = nullptr;
    QPushButton* chartSwitch = nullptr;
    QPushButton* planExport = nullptr;
    TableColumns* planColumns = nullptr;
    QPointer<QProgressDialog> downloadProgressDialog;
    QString pdfPath;
};

}
