#pragma once

#include "ui/codewindow.h"

#include <memory>

namespace Corvane {

namespace Ui {
    class ActivationCodeWindow;
}

/// Asks for the activation code the server sent to the consortium's certified mail box.
/// Created once by the flow manager, owned by it and reset before each showing.
class ActivationCodeWindow final : public CodeWindow {
    Q_OBJECT
public:
    explicit ActivationCodeWindow(
        Interface::WindowRequestInterface* applicationManager, QWidget* parent = nullptr);
    ~ActivationCodeWindow() override;

private:
    std::unique_ptr<Ui::ActivationCodeWindow> ui;
};

}
