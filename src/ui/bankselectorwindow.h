#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}

namespace Model {
    class Bank;
}

/// Lets the user pick one of the banks enabled for the account: a small window of one button per
/// bank, built each time the bank model reports its list. Never shown itself. Created by the flow
/// manager and kept for the life of the process.
class BankSelectorWindow final : public QWidget {
    Q_OBJECT
public:
    BankSelectorWindow(Interface::WindowRequestInterface* applicationManager,
        Model::Bank* bankModel, QWidget* parent = nullptr);
    ~BankSelectorWindow() override;

    /// The window of bank buttons, null until the first list arrives.
    QWidget* getSelectionWidget() const { return selectionWidget.get(); }

private slots:
    void onBankDetailRetrived();
    void onClickButton(const QString& bank);
    void onClickButton1();

private:
    Interface::WindowRequestInterface* applicationManager;
    Model::Bank* bankModel;
    std::unique_ptr<QWidget> selectionWidget;
};

}
