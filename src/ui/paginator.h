#pragma once

#include <QWidget>

#include <memory>

namespace Corvane {

namespace Interface {
    class PaginatedCommandInterface;
}
namespace Model {
    class AbstractPaginatedTable;
}
namespace Ui {
    class Paginator;
}

/// The page navigation under a list: shows "Pagina n di m" and asks the model for the first,
/// previous, next or last page. Owned by its paginated model; the list window only lays it out.
class Paginator final : public QWidget {
    Q_OBJECT
public:
    explicit Paginator(Model::AbstractPaginatedTable* model, QWidget* parent = nullptr);
    ~Paginator() override;

    /// Takes the page values of a search reply and enables the buttons that lead somewhere.
    void updatePageDisplay(const Interface::PaginatedCommandInterface* command);
    /// Forgets the page counters before a new search.
    void reset();

    /// The page index the next page request sends, counted from 0.
    int getStart() const { return start; }
    int getCurrentPage() const { return currentPage; }
    int getTotalPages() const { return totalPages; }

signals:
    void pageButtonCliked();

private slots:
    void onFirstPageClicked();
    void onPreviousPageClicked();
    void onNextPageClicked();
    void onLastPageClicked();

private:
    /// Moves to the page index, when the current page allows leaving in that direction.
    void goTo(bool allowed, int page, const char* refusal);

    std::unique_ptr<Ui::Paginator> ui;
    Model::AbstractPaginatedTable* model;
    int totalPages = 0;
    int currentPage = 0;
    int start = 0;
};

}
