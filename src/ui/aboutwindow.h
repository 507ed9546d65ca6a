#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

class ApplicationManager;

namespace Ui {
    class AboutWindow;
}

/// The program's name, version and rights notice. Created once by the flow manager; the main
/// window shows it from the "?" menu.
class AboutWindow final : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(ApplicationManager* applicationManager, QWidget* parent = nullptr);
    ~AboutWindow() override;

private:
    std::unique_ptr<Ui::AboutWindow> ui;
    ApplicationManager* applicationManager;
};

}
