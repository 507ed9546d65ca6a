#include "ui/bankselectorwindow.h"

#include "core/logging.h"
#include "models/bank.h"
#include "ui/windowrequestinterface.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace Corvane {

namespace {
    const QString buttonStyle
        = QStringLiteral("padding-left: 20px;padding-right: 20px;text-align:left;font-size: 12px;");

    QPushButton* bankButton(const QString& text, QWidget* parent)
    {
        auto* button = new QPushButton(text, parent);
        button->setFixedHeight(50);
        button->setStyleSheet(buttonStyle);
        return button;
    }
}

BankSelectorWindow::BankSelectorWindow(
    Interface::WindowRequestInterface* applicationManager, Model::Bank* bankModel, QWidget* parent)
    : QWidget(parent)
    , applicationManager(applicationManager)
    , bankModel(bankModel)
{
    connect(bankModel, &Model::Bank::bankDetailRetrived, this,
        &BankSelectorWindow::onBankDetailRetrived);
    bankModel->fetch();
}

BankSelectorWindow::~BankSelectorWindow() = default;

void BankSelectorWindow::onBankDetailRetrived()
{
    auto widget = std::make_unique<QWidget>();
    widget->setWindowTitle(QStringLiteral("Selezione banca"));
    widget->setMinimumWidth(300);
    auto* layout = new QVBoxLayout(widget.get());

    const QStringList labels = bankModel->getBankLabels();
    for (const QString& label : labels) {
        // The server's label is shown as it is: a "&" in it must not become a shortcut.
        QPushButton* button = bankButton(
            QString(label).replace(QLatin1Char('&'), QLatin1String("&&")), widget.get());
        connect(button, &QPushButton::clicked, this, [this, label] { onClickButton(label); });
        layout->addWidget(button);
    }
    if (labels.isEmpty()) {
        QPushButton* button = bankButton(
            QStringLiteral("Nessuna banca abilitata alla procedura\nPremere qui per uscire."),
            widget.get());
        connect(button, &QPushButton::clicked, this, &BankSelectorWindow::onClickButton1);
        layout->addWidget(button);
    }
    // A window from an earlier list is replaced, never left behind.
    selectionWidget = std::move(widget);
    selectionWidget->show();
}

void BankSelectorWindow::onClickButton(const QString& bank)
{
    selectionWidget->hide();
    applicationManager->onBankSelected(bank);
}

void BankSelectorWindow::onClickButton1()
{
    selectionWidget->hide();
    applicationManager->logoutOnNoBank();
}

}
