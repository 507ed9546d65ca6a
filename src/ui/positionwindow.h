#pragma once

#include "ui/abstracttablewindow.h"

#include <memory>

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}

namespace Model {
    class Position;
    class Status;
}
namespace Ui {
    class PositionWindow;
}

/// The loan positions at the bank, searched by company, LCR, state, loan number and the date of
/// the bank's resolution.
class PositionWindow final : public AbstractTableWindow {
    Q_OBJECT
public:
    PositionWindow(Interface::WindowRequestInterface* applicationManager,
        HeaderToolbar* headerToolbar, Model::Position* model, Model::Status* statusModel,
        QWidget* parent = nullptr);
    ~PositionWindow() override;

public slots:
    void open() override;
    void onCellDoubleClicked(const QModelIndex& index) override;
    void updateInterfaceDetails() override;
    void onDateFilterToggle(bool isEnable);
    void onStatusModelReset();

protected:
    SearchFilters readSearchFilters() const override;
    void clearSearchFields() override;

private:
    std::unique_ptr<Ui::PositionWindow> ui;
    Interface::WindowRequestInterface* applicationManager;
    Model::Status* statusModel;
};

}
