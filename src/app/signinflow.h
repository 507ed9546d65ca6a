#pragma once

#include "protocol/accepterinterfaces.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

namespace Corvane {

class ApplicationManager;
class CodeWindow;
class ComponentFactory;

/// The steps before a session opens: the login, the activation and two-factor codes, the
/// requests for new credentials and the password change, with their results and what they leave
/// behind (the last login's result, the QR code, the requested consortium). Each completed step
/// asks the flow manager to send Init again. A child of the flow manager.
class SignInFlow final : public QObject,
                         public Interface::AuthenticationResultAccepterInterface,
                         public Interface::RequestCredentialResponseAccepterInterface,
                         public Interface::SendPrivacyResponseAccepterInterface,
                         public Interface::ChangePasswordResultAccepterInterface {
    Q_OBJECT
    Q_INTERFACES(Corvane::Interface::AuthenticationResultAccepterInterface
            Corvane::Interface::RequestCredentialResponseAccepterInterface
                Corvane::Interface::SendPrivacyResponseAccepterInterface
                    Corvane::Interface::ChangePasswordResultAccepterInterface)
public:
    using Form = QMap<QString, QString>;

    SignInFlow(ApplicationManager* manager, ComponentFactory* factory);

    void login(const Form& parameters);
    void requestActivationCode(const Form& parameters);
    void twoFaFirstAuthentication(const Form& parameters);
    void twoFaAuthentication(const Form& parameters);
    void requestCredentialConfidi(const Form& parameters);
    void requestCredentialAccount(const Form& parameters);
    void changePassword(const Form& parameters);
    void requestPassword();
    /// Drops the two-factor session file and asks for the activation's QR code.
    void requestTwoFaActivation();
    /// The privacy notice; empty while its first fetch, started here, is on its way.
    QString getPrivacyText();
    /// Shows the login window again, modal.
    void showLoginWindow();
    void hideLoginProgress();

    /// The window whose code is on its way to the server, forgotten once asked for.
    QPointer<CodeWindow> takeCodeSender();
    void setTokenKind(const QString& kind) { tokenKind = kind; }

    QString getRequestedConfidiFiscalCode() const { return requestedConfidiFiscalCode; }
    QString getRequestedConfidiCompanyName() const { return requestedConfidiCompanyName; }
    QString getRequestedConfidiPec() const { return requestedConfidiPec; }
    QByteArray getQrCodeSvg() const { return qrCodeSvg.toUtf8(); }
    int getLoginResultCode() const { return loginResultCode; }
    QString getLoginResultDescription() const { return loginResultDescription; }
    QString getTokenKind() const { return tokenKind; }

    void manageAuthenticationResult(Command::Login* command) override;
    void manageAuthenticationResult(Command::RequestActivationCode* command) override;
    void manageAuthenticationResult(Command::TwoFaActivation* command) override;
    void manageAuthenticationResult(Command::TwoFaFirstAuthentication* command) override;
    void manageAuthenticationResult(Command::TwoFaAuthentication* command) override;
    void manageCredentialRequestResult(Command::RequestCredentialConfidi* command) override;
    void manageCredentialRequestResult(Command::RequestCredentialAccount* command) override;
    void setPrivacy(Command::SendPrivacy* command) override;
    void manageChangePasswordResult(Command::ChangePassword* command) override;
    void manageRequestPasswordResult(Command::RequestPassword* command) override;

signals:
    void requestCredentialConfidiCompleted(bool status, int resultId);
    void requestCredentialAccountCompleted(bool status, int resultId);

private:
    ApplicationManager* manager;
    ComponentFactory* factory;
    QString privacyText;
    QString requestedConfidiFiscalCode;
    QString requestedConfidiCompanyName;
    QString requestedConfidiPec;
    QString tokenKind;
    QString qrCodeSvg;
    int loginResultCode = 0;
    QString loginResultDescription;
    /// The window whose code is on its way to the server.
    QPointer<CodeWindow> codeSender;
    QPointer<Command::SendPrivacy> pendingPrivacy;
};

}
