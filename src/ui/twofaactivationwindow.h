#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

class ApplicationManager;

namespace Ui {
    class TwoFaActivationWindow;
}

/// Switches on two-factor authentication: shows the QR code of the last activation reply for
/// the user's authenticator app and asks for its first code. Created once by the flow manager,
/// owned by it and reset before each showing.
class TwoFaActivationWindow final : public QDialog {
    Q_OBJECT
public:
    explicit TwoFaActivationWindow(
        ApplicationManager* applicationManager, QWidget* parent = nullptr);
    ~TwoFaActivationWindow() override;

    /// Reloads the QR code, empties the code field and gives it the focus.
    void resetForm();
    /// Replaces the QR image with the one the flow manager holds.
    void showQrCode();

public slots:
    void accept() override;
    /// Closes and goes back to the login window.
    void reject() override;

private:
    std::unique_ptr<Ui::TwoFaActivationWindow> ui;
    ApplicationManager* applicationManager;
};

}
