#include "ui/paginator.h"

#include "core/logging.h"
#include "models/abstractpaginatedtable.h"
#include "ui_paginator.h"

namespace Corvane {

namespace {
    const char* const firstPageReached
        = "Pagination reached the first page. Fetch could not be done.";
    const char* const lastPageReached
        = "Pagination reached the last page. Fetch could not be done.";
}

Paginator::Paginator(Model::AbstractPaginatedTable* model, QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::Paginator>())
    , model(model)
{
    ui->setupUi(this);
    connect(ui->firstPage, &QPushButton::clicked, this, &Paginator::onFirstPageClicked);
    connect(ui->previousPage, &QPushButton::clicked, this, &Paginator::onPreviousPageClicked);
    connect(ui->nextPage, &QPushButton::clicked, this, &Paginator::onNextPageClicked);
    connect(ui->lastPage, &QPushButton::clicked, this, &Paginator::onLastPageClicked);
    connect(
        model, &Model::AbstractPaginatedTable::pagesChanged, this, &Paginator::updatePageDisplay);
}

Paginator::~Paginator() = default;

void Paginator::updatePageDisplay()
{
    const Model::Pages& pages = model->getPages();
    ui->pageLabel->setText(QStringLiteral("Pagina %1 di %2").arg(pages.current).arg(pages.total));
    ui->firstPage->setEnabled(pages.canGoBack());
    ui->previousPage->setEnabled(pages.canGoBack());
    ui->nextPage->setEnabled(pages.canGoForward());
    ui->lastPage->setEnabled(pages.canGoForward());
}

void Paginator::goTo(bool allowed, int page, const char* refusal)
{
    emit pageButtonCliked();
    if (!allowed) {
        qCDebug(corvaneLog) << refusal;
        return;
    }
    model->fetchPage(page);
}

void Paginator::onFirstPageClicked() { goTo(model->getPages().canGoBack(), 0, firstPageReached); }

void Paginator::onPreviousPageClicked()
{
    goTo(model->getPages().canGoBack(), model->getPages().offset(-1), firstPageReached);
}

void Paginator::onNextPageClicked()
{
    goTo(model->getPages().canGoForward(), model->getPages().offset(1), lastPageReached);
}

void Paginator::onLastPageClicked()
{
    const Model::Pages& pages = model->getPages();
    goTo(pages.canGoForward(), pages.total - 1, lastPageReached);
}

}
