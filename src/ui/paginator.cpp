#include "ui/paginator.h"

#include "core/logging.h"
#include "models/abstractpaginatedtable.h"
#include "protocol/paginatedcommandinterface.h"
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
}

Paginator::~Paginator() = default;

void Paginator::updatePageDisplay(const Interface::PaginatedCommandInterface* command)
{
    currentPage = command->getCurrentPage();
    totalPages = command->getTotalPages();
    start = command->getStart();
    ui->pageLabel->setText(QStringLiteral("Pagina %1 di %2").arg(currentPage).arg(totalPages));
    const bool back = currentPage >= 2;
    const bool forward = currentPage < totalPages;
    ui->firstPage->setEnabled(back);
    ui->previousPage->setEnabled(back);
    ui->nextPage->setEnabled(forward);
    ui->lastPage->setEnabled(forward);
}

void Paginator::reset()
{
    totalPages = 0;
    currentPage = 0;
    start = 0;
}

void Paginator::goTo(bool allowed, int page, const char* refusal)
{
    emit pageButtonCliked();
    if (!allowed) {
        qCDebug(corvaneLog) << refusal;
        return;
    }
    start = page;
    model->fetchPage();
}

void Paginator::onFirstPageClicked() { goTo(currentPage > 1, 0, firstPageReached); }

void Paginator::onPreviousPageClicked() { goTo(currentPage > 1, start - 1, firstPageReached); }

void Paginator::onNextPageClicked() { goTo(currentPage < totalPages, start + 1, lastPageReached); }

void Paginator::onLastPageClicked()
{
    goTo(currentPage < totalPages, totalPages - 1, lastPageReached);
}

}
