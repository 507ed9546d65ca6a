#pragma once

#include <QWidget>

#include <memory>

namespace Corvane {

namespace Model {
    class AbstractPaginatedTable;
}
namespace Ui {
    class Paginator;
}

/// The page navigation under a list: shows "Pagina n di m" from the model's page counters and
/// asks the model for the first, previous, next or last page. Owned by the list window.
class Paginator final : public QWidget {
    Q_OBJECT
public:
    explicit Paginator(Model::AbstractPaginatedTable* model, QWidget* parent = nullptr);
    ~Paginator() override;

signals:
    void pageButtonCliked();

private slots:
    void onFirstPageClicked();
    void onPreviousPageClicked();
    void onNextPageClicked();
    void onLastPageClicked();

private:
    /// Shows the model's page counters and enables the buttons that lead somewhere.
    void updatePageDisplay();
    /// Moves to the page index, when the current page allows leaving in that direction.
    void goTo(bool allowed, int page, const char* refusal);

    std::unique_ptr<Ui::Paginator> ui;
    Model::AbstractPaginatedTable* model;
};

}
