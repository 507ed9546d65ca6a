#pragma once

#include <QDialog>
#include <QMap>

class QLineEdit;

namespace Corvane {

namespace Interface {
    class WindowRequestInterface;
}

/// What the dialogs that ask for one code share: the look of the sign-in dialogs, a code field
/// handed unchanged to the flow manager under one form key, the field emptied and focused at
/// every reopening, and cancel leading back to the login window. Its subclasses are created once
/// by the flow manager and owned by it.
class CodeWindow : public QDialog {
    Q_OBJECT
public:
    ~CodeWindow() override;

    /// Empties the code field and gives it the focus.
    virtual void resetForm();

public slots:
    /// Hands the code to the flow manager and hides; the server judges it.
    void accept() override;
    /// Closes and goes back to the login window.
    void reject() override;

protected:
    /// The flow manager's request that takes the code.
    using CodeRequest = void (Interface::WindowRequestInterface::*)(const QMap<QString, QString>&);

    CodeWindow(Interface::WindowRequestInterface* applicationManager, CodeRequest request,
        const QString& key, QWidget* parent);
    /// Finishes the construction once the subclass has built its form.
    void setUpForm(QLineEdit* codeField, const QSize& size);

    Interface::WindowRequestInterface* applicationManager;

private:
    CodeRequest request;
    QString key;
    QLineEdit* codeField = nullptr;
};

}
