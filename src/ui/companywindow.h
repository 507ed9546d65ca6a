#pragma once

#include "ui/abstracttablewindow.h"

#include <memory>

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}

namespace Model {
    class Company;
}
namespace Ui {
    class CompanyWindow;
}

/// The register of the bank's client companies, searched by name, fiscal code, city and
/// province.
class CompanyWindow final : public AbstractTableWindow {
    Q_OBJECT
public:
    CompanyWindow(Interface::WindowRequestInterface* applicationManager,
        HeaderToolbar* headerToolbar, Model::Company* model, QWidget* parent = nullptr);
    ~CompanyWindow() override;

public slots:
    void open() override;
    void onCellDoubleClicked(const QModelIndex& index) override;
    void updateInterfaceDetails() override;
    void onModelReset();
    void onProvinceModelReset();

protected:
    SearchFilters readSearchFilters() const override;
    void clearSearchFields() override;

private:
    std::unique_ptr<Ui::CompanyWindow> ui;
    Interface::WindowRequestInterface* applicationManager;
    Model::Company* companyModel;
};

}
