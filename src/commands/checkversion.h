#pragma once

#include "protocol/accepterinterfaces.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

#include <array>
#include <optional>

namespace Corvane::Command {

/// Compares the client's version with the last one the server publishes, and learns the MD5 and
/// the signature of the update archive. Only a well-formed newer version is an update; an older,
/// missing or malformed one counts as up to date. Created by the flow manager at start-up;
/// reports to it.
class CheckVersion final : public QObject,
                           public Interface::CommandInterface,
                           public Interface::AuthenticatedCommandInterface,
                           public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    CheckVersion(Interface::CheckVersionAccepterInterface* accepter, const QString& currentVersion);

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

    QString getCurrentVersion() const { return currentVersion; }
    QString getLastVersion() const { return lastVersion; }
    QString getMd5() const { return md5; }
    /// The archive's Ed25519 signature in Base64, as the server sent it.
    QString getSignature() const { return signature; }
    bool isUpdateNeeded() const { return updateNeeded; }

    /// The four numbers of a dotted version ("5.2.0.0"); nothing when it is not one.
    static std::optional<std::array<qulonglong, 4>> parseVersion(const QString& version);

private:
    Interface::CheckVersionAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    QString currentVersion;
    QString lastVersion;
    QString md5;
    QString signature;
    bool updateNeeded = false;
};

}
