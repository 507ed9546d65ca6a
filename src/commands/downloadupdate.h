#pragma once

#include "protocol/accepterinterfaces.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/downloadcommandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QCryptographicHash>
#include <QObject>

#include <memory>

class QTemporaryFile;

namespace Corvane::Command {

/// Downloads the update archive, checks it against the published MD5 and the release signature
/// and stores it as "CorvaneWin.zip" in the working directory. Created by the flow manager;
/// reports to it exactly once, whatever the reply: a server answer in place of the archive, or
/// (through reportIfUnanswered) a network failure or refused reply, is a failed download.
class DownloadUpdate final : public QObject,
                             public Interface::DownloadCommandInterface,
                             public Interface::AuthenticatedCommandInterface,
                             public Interface::NoAbiCommandInterface {
    Q_OBJECT
public:
    static constexpr const char* archiveName = "CorvaneWin.zip";

    DownloadUpdate(Interface::DownloadUpdateResponseAccepterInterface* accepter, const QString& md5,
        const QString& version, const QString& signature);
    ~DownloadUpdate() override;

    QString getPath() const override;
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    void useResponse(QByteArray body) override;
    void useFailure() override;
    bool streamsBody() const override { return true; }
    bool openStream(int status, const QString& contentType) override;
    bool writeStream(const QByteArray& bytes) override;
    void closeStream() override;

    bool isSuccess() const { return success; }
    /// For the end of the command's execution: a failed download when nothing was reported.
    void reportIfUnanswered();

private:
    void report();

    Interface::DownloadUpdateResponseAccepterInterface* accepter;
    QMap<QString, QString> parameters;
    QString md5;
    QString signature;
    bool success = false;
    bool reported = false;
    /// The archive while it arrives, beside the working directory's one.
    std::unique_ptr<QTemporaryFile> partial;
    QCryptographicHash partialMd5 { QCryptographicHash::Md5 };
    QByteArray start;
};

}
