#include "app/updatewindow.h"

#include "core/logging.h"
#include "network/initializeresponderinterfaces.h"
#include "ui_updatewindow.h"

namespace Corvane {

UpdateWindow::UpdateWindow(
    Interface::UpdateInitializeResponderInterface* responder, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::UpdateWindow>())
    , responder(responder)
{
    ui->setupUi(this);
    // A reason can name a folder of the user's: never markup.
    ui->errorLabel->setTextFormat(Qt::PlainText);
    // Qt::Dialog stays in the set: without it a dialog with a parent would be drawn inside it.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setFixedSize(size());

    for (QWidget* widget :
        { static_cast<QWidget*>(ui->step1Tick), static_cast<QWidget*>(ui->step2Label),
            static_cast<QWidget*>(ui->step2Tick), static_cast<QWidget*>(ui->step3Label),
            static_cast<QWidget*>(ui->step3Tick), static_cast<QWidget*>(ui->errorLabel) })
        widget->hide();
    restartConnection = connect(
        ui->restartButton, &QPushButton::clicked, this, &UpdateWindow::onRestartButtonClicked);
}

UpdateWindow::~UpdateWindow() = default;

void UpdateWindow::advanceStep()
{
    ++step;
    if (step == 1) {
        ui->step1Tick->show();
        ui->step1Label->setText(QStringLiteral("Download file di aggiornamento completato."));
        ui->step2Label->show();
    } else if (step == 2) {
        ui->step2Tick->show();
        ui->step2Label->setText(QStringLiteral("Installazione dei file completato."));
        ui->step3Label->show();
        ui->step3Tick->show();
        ui->restartButton->setEnabled(true);
    }
}

void UpdateWindow::showUpdateError()
{
    failed = true;
    disconnect(restartConnection);
    connect(ui->restartButton, &QPushButton::clicked, this, &UpdateWindow::reject,
        Qt::UniqueConnection);
    for (QWidget* widget :
        { static_cast<QWidget*>(ui->step2Label), static_cast<QWidget*>(ui->step2Tick),
            static_cast<QWidget*>(ui->step3Label), static_cast<QWidget*>(ui->step3Tick) })
        widget->hide();
    ui->step1Tick->setText(QStringLiteral("✖"));
    ui->step1Tick->show();
    ui->step1Label->setText(QStringLiteral("Errore durante l'aggiornamento."));
    ui->restartButton->setEnabled(true);
    ui->restartButton->setText(QStringLiteral("Chiudi Corvane"));
}

void UpdateWindow::showUpdateError(const QString& reason)
{
    showUpdateError();
    ui->errorLabel->setText(reason);
    ui->errorLabel->show();
}

void UpdateWindow::setInstallProgress(int percent)
{
    if (step == 1 && !failed)
        ui->step2Label->setText(
            QStringLiteral("Installazione dei file in corso ... %1%").arg(percent));
}

void UpdateWindow::reject()
{
    if (failed || step >= 2)
        QDialog::reject();
}

void UpdateWindow::onRestartButtonClicked()
{
    qCDebug(corvaneLog) << "onRestartButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    responder->initializeUpdate();
}

}
