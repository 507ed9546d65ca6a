#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class QProgressDialog;

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}
class CredentialConfidiWindow;

namespace Ui {
    class LoginWindow;
}

/// Asks for the user's fiscal code, the consortium's fiscal code and the password, and hands
/// them to the flow manager; a failed attempt reopens it with the stored credential. Also the
/// way into the request for access credentials. Created once by the flow manager and owned by it.
class LoginWindow final : public QDialog {
    Q_OBJECT
public:
    LoginWindow(Interface::WindowRequestInterface* applicationManager,
        std::function<CredentialConfidiWindow*()> credentialConfidiWindow,
        QWidget* parent = nullptr);
    ~LoginWindow() override;

    /// Reports the failed login whose result code the flow manager holds, then reopens.
    void manageLoginResponse();
    void hideLoginWindow();
    /// Ends the wait of a login, whether or not it got an answer.
    void hideProgressDialog();

public slots:
    /// Fills the fields from the account's stored credential, then opens.
    void open() override;

private slots:
    void login();
    void openCredentialConfidiWindow();
    void onTextEdited(const QString& text);

private:
    std::unique_ptr<Ui::LoginWindow> ui;
    Interface::WindowRequestInterface* applicationManager;
    /// Built when first asked for: most starts never show it.
    std::function<CredentialConfidiWindow*()> credentialConfidiWindow;
    QPointer<QProgressDialog> progressDialog;
};

}
