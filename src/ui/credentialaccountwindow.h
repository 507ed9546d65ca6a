#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}
class PrivacyWindow;

namespace Ui {
    class CredentialAccountWindow;
}

/// Second step of the request for access credentials: the person's data under the consortium
/// found in the first step, and the consent to the privacy notice. Created once by the flow
/// manager and owned by it; owns its privacy window.
class CredentialAccountWindow final : public QDialog {
    Q_OBJECT
public:
    explicit CredentialAccountWindow(
        Interface::WindowRequestInterface* applicationManager, QWidget* parent = nullptr);
    ~CredentialAccountWindow() override;

public slots:
    /// Empties the personal fields, shows the consortium found, then shows the dialog.
    void open() override;
    void accept() override;
    void reject() override;

private slots:
    void openPrivacyWindow();
    void onTextEdited(const QString& text);
    void onRequestCredentialAccountResponse(bool success, int resultId);

private:
    std::unique_ptr<Ui::CredentialAccountWindow> ui;
    Interface::WindowRequestInterface* applicationManager;
    /// The hook for the answer to the request on its way, if any.
    QMetaObject::Connection pendingAnswer;
    PrivacyWindow* privacyWindow;
};

}
