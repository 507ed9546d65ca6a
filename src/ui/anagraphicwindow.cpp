#include "ui/anagraphicwindow.h"

#include "core/logging.h"
#include "models/anagraphic.h"
#include "ui/windowlayout.h"
#include "ui_anagraphicwindow.h"

namespace Corvane {

AnagraphicWindow::AnagraphicWindow(Model::Anagraphic* model, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::AnagraphicWindow>())
    , model(model)
{
    ui->setupUi(this);
    WindowLayout::remember(this);
    // The values can be read and copied from the keyboard, and hold the focus while the buttons
    // wait for a record. They are the server's text: never markup.
    for (QLabel* label : { ui->companyName, ui->address, ui->fiscalCode, ui->piva }) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        label->setTextFormat(Qt::PlainText);
    }
    connect(model, &Model::Anagraphic::anagraphicUpdated, this,
        &AnagraphicWindow::updateAnagraphicDetail);
    connect(ui->previousButton, &QPushButton::clicked, this,
        &AnagraphicWindow::fetchPreviousAnagraphic);
    connect(ui->nextButton, &QPushButton::clicked, this, &AnagraphicWindow::fetchNextAnagraphic);
}

AnagraphicWindow::~AnagraphicWindow() = default;

void AnagraphicWindow::showAnagraphic(const QString& id)
{
    qCDebug(corvaneLog) << "showAnagraphic" << id;
    anagraphicId = id;
    clearDetail();
    model->fetch(id);
    open();
}

void AnagraphicWindow::clearDetail()
{
    // A button about to be disabled hands the focus on, and takes it back when the record comes.
    QWidget* focused = focusWidget();
    if (focused == ui->previousButton || focused == ui->nextButton) {
        focusedButton = static_cast<QPushButton*>(focused);
        ui->companyName->setFocus();
    }
    for (QLabel* label : { ui->companyName, ui->address, ui->fiscalCode, ui->piva })
        label->setText(QStringLiteral("n.d."));
    ui->previousButton->setEnabled(false);
    ui->nextButton->setEnabled(false);
}

void AnagraphicWindow::updateAnagraphicDetail()
{
    qCDebug(corvaneLog) << "updateAnagraphicDetail"
                        << "SLOT triggered in" << metaObject()->className();
    anagraphicId = model->getId();
    ui->anagraphicLabel->setText(QStringLiteral("Anagrafica corrente"));
    ui->companyName->setText(model->getValue(QStringLiteral("ragione_sociale")));
    ui->address->setText(model->getValue(QStringLiteral("indirizzo")));
    ui->fiscalCode->setText(model->getValue(QStringLiteral("cod_fiscale")));
    ui->piva->setText(model->getValue(QStringLiteral("partita_iva")));
    ui->previousButton->setEnabled(!model->getValue(QStringLiteral("anag_prec")).isEmpty());
    ui->nextButton->setEnabled(!model->getValue(QStringLiteral("anag_succ")).isEmpty());
    if (focusedButton) {
        QPushButton* other = focusedButton == ui->nextButton ? ui->previousButton : ui->nextButton;
        if (focusedButton->isEnabled())
            focusedButton->setFocus();
        else if (other->isEnabled())
            other->setFocus();
        focusedButton = nullptr;
    }
}

void AnagraphicWindow::fetchPreviousAnagraphic()
{
    qCDebug(corvaneLog) << "fetchPreviousAnagraphic"
                        << "SLOT triggered in" << metaObject()->className();
    moveTo(model->getValue(QStringLiteral("anag_prec")));
}

void AnagraphicWindow::fetchNextAnagraphic()
{
    qCDebug(corvaneLog) << "fetchNextAnagraphic"
                        << "SLOT triggered in" << metaObject()->className();
    moveTo(model->getValue(QStringLiteral("anag_succ")));
}

void AnagraphicWindow::moveTo(const QString& id)
{
    if (id.isEmpty())
        return;
    anagraphicId = id;
    clearDetail();
    model->fetch(id);
}

}
