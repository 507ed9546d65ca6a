#pragma once

#include <QByteArray>
#include <QMap>
#include <QMetaObject>
#include <QString>
#include <QtPlugin>

#include <functional>

class QObject;

namespace Corvane::Interface {

/// What the windows hand to the flow manager and read from it: the credentials and codes they
/// collect, the chosen bank, the session data they show, and the other windows they ask for.
/// Implemented by the flow manager; a window keeps the pointer it is given and never owns it.
class WindowRequestInterface {
public:
    using Form = QMap<QString, QString>;
    using CredentialRequestAnswer = std::function<void(bool success, int resultId)>;

    virtual ~WindowRequestInterface() = default;

    // Session data the windows show.
    virtual QString getBank() const = 0;
    virtual QString getUsername() const = 0;
    virtual int getConfidiId() const = 0;
    virtual QString getConfidiCompanyName() const = 0;
    virtual QString getVersion() const = 0;
    virtual QString getCredentialCfUtente() const = 0;
    virtual QString getCredentialCfConfidi() const = 0;
    virtual QString getCredentialPassword() const = 0;
    virtual int getLoginResultCode() const = 0;
    /// The server's description of the last failed login's result.
    virtual QString getLoginResultDescription() const = 0;
    virtual QByteArray getQrCodeSvg() const = 0;
    virtual QString getRequestedConfidiFiscalCode() const = 0;
    virtual QString getRequestedConfidiCompanyName() const = 0;
    virtual QString getRequestedConfidiPec() const = 0;
    /// The privacy notice; empty while its first fetch, started here, is on its way.
    virtual QString getPrivacyText() = 0;

    // What the windows hand over; each form goes unchanged to its command.
    virtual void login(const Form& parameters) = 0;
    virtual void requestActivationCode(const Form& parameters) = 0;
    virtual void twoFaFirstAuthentication(const Form& parameters) = 0;
    virtual void twoFaAuthentication(const Form& parameters) = 0;
    virtual void requestCredentialConfidi(const Form& parameters) = 0;
    virtual void requestCredentialAccount(const Form& parameters) = 0;
    virtual void changePassword(const Form& parameters) = 0;
    virtual void requestPassword() = 0;
    virtual void logout() = 0;
    virtual void onBankSelected(const QString& bank) = 0;
    virtual void logoutOnNoBank() = 0;
    /// Has answer called, in context's thread and while context lives, with the result of every
    /// credential request until the connection is dropped.
    virtual QMetaObject::Connection connectCredentialConfidiAnswer(
        QObject* context, CredentialRequestAnswer answer)
        = 0;
    virtual QMetaObject::Connection connectCredentialAccountAnswer(
        QObject* context, CredentialRequestAnswer answer)
        = 0;

    // Other windows, and the program itself.
    /// Shows the login window again, modal.
    virtual void showLoginWindow() = 0;
    virtual void showAnagraphic(const QString& id) = 0;
    virtual void showPosition(const QString& technicalFormId, const QString& lcr) = 0;
    /// Ends this process and starts a new one, which opens a new session (the bank change).
    virtual void restart() = 0;
};

}

Q_DECLARE_INTERFACE(Corvane::Interface::WindowRequestInterface, "corvane.WindowRequestInterface")
