#pragma once

#include <QDialog>

#include <memory>

namespace Corvane {

namespace Ui {
    class ProxyCredentialWindow;
}

/// Asks for the user name and password a proxy demands. Created by the proxy configurator for
/// each authentication request, run modally and destroyed right after.
class ProxyCredentialWindow final : public QDialog {
    Q_OBJECT
public:
    /// rememberAllowed enables "Memorizza password"; a proxy taken from the system has nowhere to
    /// keep them.
    explicit ProxyCredentialWindow(bool rememberAllowed, QWidget* parent = nullptr);
    ~ProxyCredentialWindow() override;

    QString getUsername() const;
    QString getPassword() const;
    bool isRememberPasswordChecked() const;
    void setDescription(const QString& text);

private:
    std::unique_ptr<Ui::ProxyCredentialWindow> ui;
};

}
