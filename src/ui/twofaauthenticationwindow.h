#pragma once

#include "ui/codewindow.h"

#include <memory>

namespace Corvane {

namespace Ui {
    class TwoFaAuthenticationWindow;
}

/// Asks for the six-digit code of the user's authenticator app at login.
/// Created once by the flow manager, owned by it and reset before each showing.
class TwoFaAuthenticationWindow final : public CodeWindow {
    Q_OBJECT
public:
    explicit TwoFaAuthenticationWindow(
        Interface::WindowRequestInterface* applicationManager, QWidget* parent = nullptr);
    ~TwoFaAuthenticationWindow() override;

private:
    std::unique_ptr<Ui::TwoFaAuthenticationWindow> ui;
};

}
