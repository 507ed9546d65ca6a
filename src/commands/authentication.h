#pragma once

#include "commands/recordvalues.h"
#include "commands/reportingcommand.h"
#include "protocol/accepterinterfaces.h"

namespace Corvane::Command {

/// A step of signing in or of the two-factor set-up: the reply is a result code and at most one
/// value (a token, the QR code), and the step goes back to the flow manager, which created it, as
/// Step, the concrete command, so that the accepter's overload for it is called.
template <typename Step, typename Tags>
class AuthenticationStep
    : public ReportingCommand<Interface::AuthenticationResultAccepterInterface, Tags> {
public:
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) final
    {
        value = lastRecordValue(dataRows, QStringLiteral("0"));
        // Any result but OK is a failure, and so is an OK without the value a step exists for: a
        // refused login must never be taken for a session.
        success = !valueRequired || isCompleteSuccess(decodedReply, value);
        resultCode = decodedReply.value(QStringLiteral("esito_id")).toInt();
        this->accepter->manageAuthenticationResult(static_cast<Step*>(this));
    }

    bool isSuccess() const { return success; }
    int getResultCode() const { return resultCode; }

protected:
    AuthenticationStep(Interface::AuthenticationResultAccepterInterface* accepter,
        const QString& path, const QMap<QString, QString>& parameters, bool valueRequired)
        : ReportingCommand<Interface::AuthenticationResultAccepterInterface, Tags>(
            accepter, path, parameters)
        , valueRequired(valueRequired)
    {
    }

    QString value;

private:
    const bool valueRequired;
    bool success = false;
    int resultCode = 0;
};

/// Signs the user in with the fiscal codes and the password; the reply carries the
/// authentication token.
class Login final : public AuthenticationStep<Login, HomeTags> {
    Q_OBJECT
public:
    Login(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getToken() const { return value; }
};

/// Activates a new account with the code sent to the consortium's certified mail.
class RequestActivationCode final : public AuthenticationStep<RequestActivationCode, SessionTags> {
    Q_OBJECT
public:
    RequestActivationCode(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);
};

/// Switches two-factor authentication on: the reply carries the QR code to scan.
class TwoFaActivation final : public AuthenticationStep<TwoFaActivation, SessionTags> {
    Q_OBJECT
public:
    explicit TwoFaActivation(Interface::AuthenticationResultAccepterInterface* accepter);

    QString getActivationData() const { return value; }
};

/// Confirms the two-factor activation with the first code of the authenticator app.
class TwoFaFirstAuthentication final
    : public AuthenticationStep<TwoFaFirstAuthentication, SessionTags> {
    Q_OBJECT
public:
    TwoFaFirstAuthentication(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getResult() const { return value; }
};

/// Sends the six-digit code of the authenticator app; the reply carries the two-factor token.
class TwoFaAuthentication final : public AuthenticationStep<TwoFaAuthentication, SessionTags> {
    Q_OBJECT
public:
    TwoFaAuthentication(Interface::AuthenticationResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    QString getToken() const { return value; }
};

}
