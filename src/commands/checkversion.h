#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/checkversionaccepterinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// Compares the client's version with the last one the server publishes, and learns the MD5 of
/// the update archive. Created by the flow manager at start-up; reports to it.
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
    bool isUpdateNeeded() const { return updateNeeded; }

private:
    Interface::CheckVersionAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    QString currentVersion;
    QString lastVersion;
    QString md5;
    bool updateNeeded = false;
};

}
