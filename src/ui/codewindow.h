#pragma once

#include <QDialog>
#include <QMap>

#include <memory>

class QLineEdit;

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}

namespace Ui {
    class ActivationCodeWindow;
    class TwoFaActivationWindow;
    class TwoFaAuthenticationWindow;
}

/// What the dialogs that ask for one code share: the look of the sign-in dialogs, a code field
/// handed unchanged to the flow manager under one form key, the field emptied and focused at
/// every reopening, and cancel leading back to the login window. Its subclasses below are created
/// once by the flow manager, owned by it and reset before each showing.
class CodeWindow : public QDialog {
    Q_OBJECT
public:
    ~CodeWindow() override;

    /// Empties the code field and gives it the focus.
    virtual void resetForm();

public slots:
    /// Hands the code to the flow manager and hides; the server judges it.
    void accept() override;
    /// Closes and goes back to the login window.
    void reject() override;

protected:
    /// The flow manager's request that takes the code.
    using CodeRequest = void (Interface::WindowRequestInterface::*)(const QMap<QString, QString>&);

    CodeWindow(Interface::WindowRequestInterface* applicationManager, CodeRequest request,
        const QString& key, QWidget* parent);
    /// Finishes the construction once the subclass has built its form.
    void setUpForm(QLineEdit* codeField, const QSize& size);

    Interface::WindowRequestInterface* applicationManager;

private:
    CodeRequest request;
    QString key;
    QLineEdit* codeField = nullptr;
};

/// Asks for the activation code the server sent to the consortium's certified mail box.
class ActivationCodeWindow final : public CodeWindow {
    Q_OBJECT
public:
    explicit ActivationCodeWindow(
        Interface::WindowRequestInterface* applicationManager, QWidget* parent = nullptr);
    ~ActivationCodeWindow() override;

private:
    std::unique_ptr<Ui::ActivationCodeWindow> ui;
};

/// Asks for the six-digit code of the user's authenticator app at login.
class TwoFaAuthenticationWindow final : public CodeWindow {
    Q_OBJECT
public:
    explicit TwoFaAuthenticationWindow(
        Interface::WindowRequestInterface* applicationManager, QWidget* parent = nullptr);
    ~TwoFaAuthenticationWindow() override;

private:
    std::unique_ptr<Ui::TwoFaAuthenticationWindow> ui;
};

/// Switches on two-factor authentication: shows the QR code of the last activation reply for
/// the user's authenticator app and asks for its first code.
class TwoFaActivationWindow final : public CodeWindow {
    Q_OBJECT
public:
    explicit TwoFaActivationWindow(
        Interface::WindowRequestInterface* applicationManager, QWidget* parent = nullptr);
    ~TwoFaActivationWindow() override;

    /// Reloads the QR code, empties the code field and gives it the focus.
    void resetForm() override;
    /// Replaces the QR image with the one the flow manager holds.
    void showQrCode();

private:
    std::unique_ptr<Ui::TwoFaActivationWindow> ui;
};

}
