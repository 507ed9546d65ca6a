#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

class ApplicationManager;

namespace Ui {
    class TwoFaAuthenticationWindow;
}

/// Asks for the six-digit code of the user's authenticator app at login.
/// Created once by the flow manager, owned by it and reset before each showing.
class TwoFaAuthenticationWindow final : public QDialog {
    Q_OBJECT
public:
    explicit TwoFaAuthenticationWindow(
        ApplicationManager* applicationManager, QWidget* parent = nullptr);
    ~TwoFaAuthenticationWindow() override;

    /// Empties the code field and gives it the focus.
    void resetForm();

public slots:
    void accept() override;
    /// Closes and goes back to the login window.
    void reject() override;

private:
    std::unique_ptr<Ui::TwoFaAuthenticationWindow> ui;
    ApplicationManager* applicationManager;
};

}
