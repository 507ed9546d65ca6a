#include "app/refusedsessiondispatcher.h"

#include "app/applicationmanager.h"
#include "app/componentfactory.h"
#include "app/sessionstore.h"
#include "app/signinflow.h"
#include "core/logging.h"
#include "protocol/xmlparser.h"
#include "ui/changepasswordwindow.h"
#include "ui/codewindow.h"
#include "ui/prompts.h"
#include "ui/texts.h"

#include <QCoreApplication>

#include <array>

namespace Corvane {

namespace {

    template <typename Dialog> void showModal(Dialog* dialog)
    {
        dialog->setModal(true);
        dialog->show();
    }
}

RefusedSessionDispatcher::RefusedSessionDispatcher(
    ApplicationManager* manager, SignInFlow* signInFlow, ComponentFactory* factory)
    : manager(manager)
    , signInFlow(signInFlow)
    , factory(factory)
{
}

void RefusedSessionDispatcher::show(Window window)
{
    switch (window) {
    case Window::None:
        break;
    case Window::Login:
        manager->showLoginWindow();
        break;
    case Window::ActivationCode:
        showModal(factory->getActivationCodeWindow());
        break;
    case Window::ChangePassword:
        showModal(factory->getChangePasswordWindow());
        break;
    case Window::TwoFaActivation:
        showModal(factory->getTwoFaActivationWindow());
        break;
    case Window::TwoFaAuthentication:
        showModal(factory->getTwoFaAuthenticationWindow());
        break;
    }
}

void RefusedSessionDispatcher::dispatch(int resultId, const QList<DataRow>& rows)
{
    if (manager->isSessionInUse()) {
        Prompt::inform(QStringLiteral("Sessione utente"),
            QStringLiteral("Sessione utente scaduta o non valida. Riavviare Corvane."));
        qCDebug(corvaneLog) << "Session Expired or Not Valid. Application will be closed";
        QCoreApplication::exit(0);
        return;
    }

    // Only the answer to a code says which window sent it; any other reply forgets it.
    const QPointer<CodeWindow> sender = signInFlow->takeCodeSender();

    /// A refusal answered by a box (when it has a title), a dropped session file and a dialog.
    struct Refusal {
        XmlParser::XML_RESPONSE code;
        QString title;
        QString text;
        const QString* dropFile;
        Window window;
    };
    const QString wrongCode
        = QStringLiteral("Codice di autenticazione non corretto. Ripetere inserimento.");
    const QString changePassword = QStringLiteral("Cambio Password");
    const QString* const auth = &SessionStore::authFile;
    const QString* const twoFa = &SessionStore::twoFaFile;
    const std::array<Refusal, 15> table { {
        { XmlParser::UNK_USER, {}, {}, auth, Window::Login },
        { XmlParser::JWT_AUTH_NOT_FOUND, {}, {}, auth, Window::Login },
        { XmlParser::ACTIVATION_CODE_NOT_FOUND, {}, {}, nullptr, Window::ActivationCode },
        { XmlParser::PASSWORD_EXPIRED, {}, {}, nullptr, Window::ChangePassword },
        { XmlParser::JWT_2FA_NOT_FOUND, {}, {}, twoFa, Window::TwoFaAuthentication },
        { XmlParser::TWOFA_AUTH_NOT_VALID, {}, {}, twoFa, Window::TwoFaAuthentication },
        { XmlParser::ACTIVATION_CODE_FAIL, Text::accountActivation,
            QStringLiteral("Codice inserito non corretto. Ripetere inserimento."), nullptr,
            Window::ActivationCode },
        { XmlParser::ACTIVATION_CODE_EXPIRED, Text::accountActivation,
            QStringLiteral("Il periodo di attivazione account è scaduto. Effettuare una nuova "
                           "registrazione utente."),
            nullptr, Window::Login },
        { XmlParser::TWOFA_AUTH_FAIL, Text::accountAuthentication, wrongCode, nullptr,
            Window::TwoFaAuthentication },
        { XmlParser::PASSWORD_FAIL, changePassword,
            QStringLiteral("Password corrente non corretta. Ripetere inserimento."), nullptr,
            Window::ChangePassword },
        { XmlParser::TWOFA_FIRST_AUTH_FAIL, Text::accountAuthentication, wrongCode, nullptr,
            Window::TwoFaActivation },
        { XmlParser::PASSWORD_VALIDATION_FAIL, changePassword, Text::validationFailed, nullptr,
            Window::ChangePassword },
        { XmlParser::ACTIVATION_CODE_VALIDATION_FAIL, Text::accountActivation,
            Text::validationFailed, nullptr, Window::ActivationCode },
        { XmlParser::TWOFA_FIRST_AUTH_VALIDATION_FAIL, Text::accountAuthentication,
            Text::validationFailed, nullptr, Window::TwoFaActivation },
        { XmlParser::TWOFA_AUTH_VALIDATION_FAIL, Text::accountAuthentication,
            Text::validationFailed, nullptr, Window::TwoFaAuthentication },
    } };
    for (const Refusal& refusal : table) {
        if (refusal.code != resultId)
            continue;
        if (!refusal.title.isEmpty())
            Prompt::inform(refusal.title, refusal.text);
        if (refusal.dropFile)
            SessionStore::removeFile(*refusal.dropFile);
        show(refusal.window);
        return;
    }

    switch (resultId) {
    case XmlParser::TWOFA_NOT_ACTIVE:
        signInFlow->requestTwoFaActivation();
        break;
    case XmlParser::JWT_NOT_VALID: {
        // The expired token's kind says which step to repeat.
        const QString kind = rows.isEmpty() ? QString() : rows.first().value(QStringLiteral("0"));
        if (kind.isEmpty())
            break;
        signInFlow->setTokenKind(kind);
        if (kind == QLatin1String("auth")) {
            show(Window::Login);
        } else {
            SessionStore::removeFile(*twoFa);
            show(Window::TwoFaAuthentication);
        }
        break;
    }
    case XmlParser::RATE_LIMITER_ERROR_MESSAGE:
        // Too many codes guessed: the window that sent the last one is offered again.
        if (sender) {
            Prompt::inform(sender == factory->find<ActivationCodeWindow>()
                    ? Text::accountActivation
                    : Text::accountAuthentication,
                Text::tooManyAttempts);
            sender->resetForm();
            showModal(sender.data());
        }
        break;
    default:
        break;
    }
}

}
