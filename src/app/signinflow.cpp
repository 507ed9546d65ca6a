#include "app/signinflow.h"

#include "app/account.h"
#include "app/applicationmanager.h"
#include "app/componentfactory.h"
#include "app/sessionstore.h"
#include "commands/accountcommands.h"
#include "commands/authentication.h"
#include "commands/credentialrequest.h"
#include "core/logging.h"
#include "protocol/commandmanager.h"
#include "ui/changepasswordwindow.h"
#include "ui/codewindow.h"
#include "ui/loginwindow.h"
#include "ui/prompts.h"

#include <utility>

namespace Corvane {

namespace {
    void logCalledBy(const char* operation, const QObject* command)
    {
        qCDebug(corvaneLog) << operation << "Called by the command"
                            << command->metaObject()->className();
    }
}

SignInFlow::SignInFlow(ApplicationManager* manager, ComponentFactory* factory)
    : QObject(manager)
    , manager(manager)
    , factory(factory)
{
}

// Requests of the windows -----------------------------------------------------------------------

void SignInFlow::login(const Form& parameters)
{
    manager->execute(new Command::Login(this, parameters));
}

void SignInFlow::requestActivationCode(const Form& parameters)
{
    codeSender = factory->find<ActivationCodeWindow>();
    manager->execute(new Command::RequestActivationCode(this, parameters));
}

void SignInFlow::twoFaFirstAuthentication(const Form& parameters)
{
    codeSender = factory->find<TwoFaActivationWindow>();
    manager->execute(new Command::TwoFaFirstAuthentication(this, parameters));
}

void SignInFlow::twoFaAuthentication(const Form& parameters)
{
    codeSender = factory->find<TwoFaAuthenticationWindow>();
    manager->execute(new Command::TwoFaAuthentication(this, parameters));
}

void SignInFlow::requestCredentialConfidi(const Form& parameters)
{
    manager->execute(new Command::RequestCredentialConfidi(this, parameters));
}

void SignInFlow::requestCredentialAccount(const Form& parameters)
{
    manager->execute(new Command::RequestCredentialAccount(this, parameters));
}

void SignInFlow::changePassword(const Form& parameters)
{
    manager->execute(new Command::ChangePassword(this, parameters));
}

void SignInFlow::requestPassword() { manager->execute(new Command::RequestPassword(this)); }

void SignInFlow::requestTwoFaActivation()
{
    SessionStore::removeFile(SessionStore::twoFaFile);
    manager->execute(new Command::TwoFaActivation(this));
}

QString SignInFlow::getPrivacyText()
{
    // One fetch at a time; one that ended without a reply (a network failure) is tried again.
    if (privacyText.isEmpty()
        && !(pendingPrivacy && factory->getCommandManager()->isQueued(pendingPrivacy))) {
        if (pendingPrivacy)
            pendingPrivacy->deleteLater();
        pendingPrivacy = new Command::SendPrivacy(this);
        manager->execute(pendingPrivacy.data());
    }
    return privacyText;
}

void SignInFlow::showLoginWindow()
{
    LoginWindow* window = factory->getLoginWindow();
    window->setModal(true);
    window->open();
}

void SignInFlow::hideLoginProgress()
{
    if (LoginWindow* window = factory->find<LoginWindow>())
        window->hideProgressDialog();
}

QPointer<CodeWindow> SignInFlow::takeCodeSender() { return std::exchange(codeSender, nullptr); }

// Results ---------------------------------------------------------------------------------------

void SignInFlow::manageAuthenticationResult(Command::Login* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    if (!command->isSuccess()) {
        loginResultCode = command->getResultCode();
        loginResultDescription = factory->getCommandManager()->getDecodedReply().value(
            QStringLiteral("esito_descr"), QStringLiteral("Non definita"));
        factory->getLoginWindow()->manageLoginResponse();
        return;
    }
    SessionStore::writeKeys(command->getParameters());
    SessionStore::writeFile(SessionStore::authFile, command->getToken());
    manager->getAccount()->setCredential(SessionStore::readCredential());
    factory->getLoginWindow()->hideLoginWindow();
    manager->sendInit();
}

void SignInFlow::manageAuthenticationResult(Command::RequestActivationCode* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    codeSender = nullptr;
    factory->getActivationCodeWindow()->show();
    Prompt::inform(
        QStringLiteral("Attivazione utenza"), QStringLiteral("Utenza attivata con successo"));
    factory->getActivationCodeWindow()->hide();
    manager->sendInit();
}

void SignInFlow::manageAuthenticationResult(Command::TwoFaActivation* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    qrCodeSvg = command->getActivationData();
    TwoFaActivationWindow* window = factory->getTwoFaActivationWindow();
    window->setModal(true);
    window->show();
}

void SignInFlow::manageAuthenticationResult(Command::TwoFaFirstAuthentication* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    codeSender = nullptr;
    if (TwoFaActivationWindow* window = factory->find<TwoFaActivationWindow>())
        window->hide();
    manager->sendInit();
}

void SignInFlow::manageAuthenticationResult(Command::TwoFaAuthentication* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    codeSender = nullptr;
    SessionStore::writeFile(SessionStore::twoFaFile, command->getToken());
    if (TwoFaAuthenticationWindow* window = factory->find<TwoFaAuthenticationWindow>())
        window->hide();
    manager->sendInit();
}

void SignInFlow::manageCredentialRequestResult(Command::RequestCredentialConfidi* command)
{
    qCDebug(corvaneLog) << "manageCredentialRequestResult"
                        << "Called by the command" << command->metaObject()->className()
                        << "with result" << command->isSuccess();
    command->deleteLater();
    if (command->isSuccess()) {
        requestedConfidiFiscalCode = command->getConfidiFiscalCode();
        requestedConfidiCompanyName = command->getConfidiCompanyName();
        requestedConfidiPec = command->getConfidiPec();
    }
    emit requestCredentialConfidiCompleted(command->isSuccess(), command->getResultCode());
}

void SignInFlow::manageCredentialRequestResult(Command::RequestCredentialAccount* command)
{
    qCDebug(corvaneLog) << "manageCredentialRequestResult"
                        << "Called by the command" << command->metaObject()->className()
                        << "with result" << command->isSuccess();
    command->deleteLater();
    emit requestCredentialAccountCompleted(command->isSuccess(), command->getResultCode());
}

void SignInFlow::manageChangePasswordResult(Command::ChangePassword* command)
{
    command->deleteLater();
    factory->getChangePasswordWindow()->show();
    Prompt::inform(QStringLiteral("Cambio password"),
        QStringLiteral("Cambio password effettuato con successo"));
    factory->getChangePasswordWindow()->hide();
    const QString newPassword = command->getParameters().value(QStringLiteral("new_password"));
    SessionStore::writeKey(QStringLiteral("password"), newPassword);
    manager->getAccount()->updateCredentialPassword(newPassword);
    manager->sendInit();
}

void SignInFlow::manageRequestPasswordResult(Command::RequestPassword* command)
{
    command->deleteLater();
    Prompt::inform(QStringLiteral("Richiesta nuova password"),
        QStringLiteral("La richiesta è stata inviata. Controllare la mail."));
}

void SignInFlow::setPrivacy(Command::SendPrivacy* command)
{
    logCalledBy("setPrivacy", command);
    command->deleteLater();
    privacyText = command->getPrivacyText();
}

}
