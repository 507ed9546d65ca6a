#pragma once

#include "ui/codewindow.h"

#include <memory>

namespace Corvane {

namespace Ui {
    class TwoFaActivationWindow;
}

/// Switches on two-factor authentication: shows the QR code of the last activation reply for
/// the user's authenticator app and asks for its first code. Created once by the flow manager,
/// owned by it and reset before each showing.
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
