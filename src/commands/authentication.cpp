#include "commands/authentication.h"

namespace Corvane::Command {

Login::Login(Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : AuthenticationStep(
        accepter, QStringLiteral("/corvane/v5/home/login_account"), parameters, true)
{
}

RequestActivationCode::RequestActivationCode(
    Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : AuthenticationStep(
        accepter, QStringLiteral("/corvane/v5/home/attivazione_codice"), parameters, false)
{
}

TwoFaActivation::TwoFaActivation(Interface::AuthenticationResultAccepterInterface* accepter)
    : AuthenticationStep(accepter, QStringLiteral("/corvane/v5/home/attivazione_two_fa"), {}, false)
{
}

TwoFaFirstAuthentication::TwoFaFirstAuthentication(
    Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : AuthenticationStep(
        accepter, QStringLiteral("/corvane/v5/home/prima_autenticazione_two_fa"), parameters, true)
{
}

TwoFaAuthentication::TwoFaAuthentication(Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : AuthenticationStep(
        accepter, QStringLiteral("/corvane/v5/home/autenticazione_two_fa"), parameters, true)
{
}

}
