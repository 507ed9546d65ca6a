#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

class ApplicationManager;

namespace Ui {
    class ActivationCodeWindow;
}

/// Asks for the activation code the server sent to the consortium's certified mail box.
/// Created once by the flow manager, owned by it and reset before each showing.
class ActivationCodeWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ActivationCodeWindow(
        ApplicationManager* applicationManager, QWidget* parent = nullptr);
    ~ActivationCodeWindow() override;

    /// Empties the code field and gives it the focus.
    void resetForm();

public slots:
    void accept() override;
    /// Closes and goes back to the login window.
    void reject() override;

private:
    std::unique_ptr<Ui::ActivationCodeWindow> ui;
    ApplicationManager* applicationManager;
};

}
