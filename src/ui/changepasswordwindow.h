#pragma once

#include <QDialog>

#include <memory>

class QLineEdit;

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}

namespace Ui {
    class ChangePasswordWindow;
}

/// Changes the password, asked for when it has expired: the current one and the new one twice,
/// checked for length and agreement before they are sent. Created once by the flow manager,
/// owned by it and reset before each showing.
class ChangePasswordWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ChangePasswordWindow(
        Interface::WindowRequestInterface* applicationManager, QWidget* parent = nullptr);
    ~ChangePasswordWindow() override;

    /// Empties the three fields and focuses the current password.
    void resetForm();

public slots:
    void accept() override;
    /// Closes and goes back to the login window.
    void reject() override;

private:
    /// The first rule the fields break, reported to the user; true when none is broken.
    bool validateForm();

    std::unique_ptr<Ui::ChangePasswordWindow> ui;
    Interface::WindowRequestInterface* applicationManager;
};

}
