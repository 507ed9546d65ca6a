#include "ui/bankselectorwindow.h"

#include "core/logging.h"
#include "models/bank.h"
#include "ui/windowrequestinterface.h"

#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

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
    // However many banks the account has, the window fits the screen: the buttons scroll.
    auto* outer = new QVBoxLayout(widget.get());
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(widget.get());
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* buttons = new QWidget(scroll);
    auto* layout = new QVBoxLayout(buttons);

    const QStringList labels = bankModel->getBankLabels();
    for (const QString& label : labels) {
        // The server's label is shown as it is: a "&" in it must not become a shortcut.
        QPushButton* button
            = bankButton(QString(label).replace(QLatin1Char('&'), QLatin1String("&&")), buttons);
        connect(button, &QPushButton::clicked, this, [this, label] { onClickButton(label); });
        layout->addWidget(button);
    }
    if (labels.isEmpty()) {
        QPushButton* button = bankButton(
            QStringLiteral("Nessuna banca abilitata alla procedura\nPremere qui per uscire."),
            buttons);
        connect(button, &QPushButton::clicked, this, &BankSelectorWindow::onClickButton1);
        layout->addWidget(button);
    }
    scroll->setWidget(buttons);
    outer->addWidget(scroll);
    const QSize wanted = buttons->sizeHint();
    const QRect available = widget->screen()->availableGeometry();
    widget->resize(std::max(wanted.width() + scroll->verticalScrollBar()->sizeHint().width(),
                       widget->minimumWidth()),
        std::min(wanted.height(), available.height() * 9 / 10));

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
