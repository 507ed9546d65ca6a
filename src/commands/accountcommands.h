#pragma once

#include "commands/reportingcommand.h"
#include "protocol/accepterinterfaces.h"

// The commands of the account's own settings and session. Each is created by the flow manager for
// one request and reports to it.
namespace Corvane::Command {

/// Opens the session: the consortium, the user name and the last access of the signed-in user.
class Init final
    : public ReportingCommand<Interface::AccountSettingsAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    explicit Init(Interface::AccountSettingsAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    double getConfidiId() const { return confidiId; }
    QString getConfidiCompanyName() const { return confidiCompanyName; }
    QString getUsername() const { return username; }
    QString getLastAccess() const { return lastAccess; }

private:
    double confidiId = 0;
    QString confidiCompanyName;
    QString username;
    QString lastAccess;
};

/// Closes the session on the server.
class Logout final
    : public ReportingCommand<Interface::LogoutResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    explicit Logout(Interface::LogoutResultAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    bool isSuccess() const { return success; }

private:
    bool success = false;
};

/// Replaces the user's password ("old_password", "new_password").
class ChangePassword final
    : public ReportingCommand<Interface::ChangePasswordResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    ChangePassword(Interface::ChangePasswordResultAccepterInterface* accepter,
        const QMap<QString, QString>& parameters);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
};

/// Asks the server to mail the user a new password.
class RequestPassword final
    : public ReportingCommand<Interface::ChangePasswordResultAccepterInterface, SessionTags> {
    Q_OBJECT
public:
    explicit RequestPassword(Interface::ChangePasswordResultAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
};

/// Fetches the privacy notice shown in the access request, before anyone signs in.
class SendPrivacy final
    : public ReportingCommand<Interface::SendPrivacyResponseAccepterInterface, HomeTags> {
    Q_OBJECT
public:
    explicit SendPrivacy(Interface::SendPrivacyResponseAccepterInterface* accepter);

    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    QString getPrivacyText() const { return privacyText; }

private:
    QString privacyText;
};

}
