#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}

namespace Ui {
    class AboutWindow;
}

/// The program's name, version and rights notice. Created once by the flow manager; the main
/// window shows it from the "?" menu.
class AboutWindow final : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(
        Interface::WindowRequestInterface* applicationManager, QWidget* parent = nullptr);
    ~AboutWindow() override;

private:
    std::unique_ptr<Ui::AboutWindow> ui;
    Interface::WindowRequestInterface* applicationManager;
};

}
