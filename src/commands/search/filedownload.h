#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/downloadcommandinterface.h"

#include <QObject>

namespace Corvane::Command::Search {

/// A file the user saves at a path of their choice. The file there changes only once the new
/// one is completely on disk: an empty body, a failed write or an XML reply in place of the file
/// leaves it as it was and makes the download a failure. Every reply, whatever it is, ends in
/// finished(), so the one waiting always hears of the outcome.
class FileDownload : public QObject,
                     public Interface::DownloadCommandInterface,
                     public Interface::AuthenticatedCommandInterface {
    Q_OBJECT
public:
    QString getPath() const final { return path; }
    QMap<QString, QString> getParameters() const final { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) final;
    void useResponse(QByteArray body) final;

    bool isSuccess() const { return success; }
    QString getDestinationPath() const { return destinationPath; }

protected:
    FileDownload(const QString& path, const QMap<QString, QString>& parameters,
        const QString& destinationPath);
    /// Tells the owner the outcome; called once per reply.
    virtual void finished() = 0;

private:
    bool save(const QByteArray& body) const;

    QString path;
    QMap<QString, QString> parameters;
    QString destinationPath;
    bool success = false;
};

}
