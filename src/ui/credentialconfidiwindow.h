#pragma once

#include <QDialog>

#include <functional>
#include <memory>

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}
class CredentialAccountWindow;

namespace Ui {
    class CredentialConfidiWindow;
}

/// First step of the request for access credentials: the consortium's fiscal code. A found
/// consortium leads to the account-request window. Created once by the flow manager, owned by it.
class CredentialConfidiWindow final : public QDialog {
    Q_OBJECT
public:
    CredentialConfidiWindow(Interface::WindowRequestInterface* applicationManager,
        std::function<CredentialAccountWindow*()> credentialAccountWindow,
        QWidget* parent = nullptr);
    ~CredentialConfidiWindow() override;

public slots:
    /// Empties the form, then shows the dialog.
    void open() override;
    void accept() override;
    void reject() override;

private slots:
    void openCredentialAccountWindow();
    void onRequestCredentialConfidiResponse(bool success, int resultId);

private:
    void resetForm();

    std::unique_ptr<Ui::CredentialConfidiWindow> ui;
    Interface::WindowRequestInterface* applicationManager;
    /// The hook for the answer to the request on its way, if any.
    QMetaObject::Connection pendingAnswer;
    /// Built when first asked for.
    std::function<CredentialAccountWindow*()> credentialAccountWindow;
};

}
