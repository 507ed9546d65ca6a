#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

namespace Ui {
    class PrivacyWindow;
}

/// Shows the privacy notice the server sent. Owned by the account-request window.
class PrivacyWindow final : public QDialog {
    Q_OBJECT
public:
    explicit PrivacyWindow(QWidget* parent = nullptr);
    ~PrivacyWindow() override;

    using QDialog::open;

public slots:
    /// Shows the given notice, replacing what the window held.
    void open(const QString& privacy);

private:
    std::unique_ptr<Ui::PrivacyWindow> ui;
};

}
