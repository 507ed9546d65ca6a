#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/downloadcommandinterface.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QSaveFile;

namespace Corvane::Command::Search {

/// The name a save dialog may propose for a name the server suggested: its last component only,
/// without control characters or a leading dot, so it can neither leave the folder nor hide;
/// fallback when nothing is left.
QString safeFileName(const QString& suggested, const QString& fallback);

/// Whether a reply is the file itself: HTTP 200, one of the types expected (parameters such as
/// the charset ignored), the signature when one is given, and no XML or HTML page in its place.
/// The body's first bytes (signatureBytes of them) are enough.
bool isExpectedFile(int status, const QString& contentType, const QByteArray& body,
    const QStringList& types, const QByteArray& signature = QByteArray());
/// Whether the headers alone can belong to the file: HTTP 200 and one of the types expected.
bool isExpectedType(int status, const QString& contentType, const QStringList& types);

/// A file the user saves at a path of their choice, written as it arrives. The file there
/// changes only once the new one is completely on disk: an empty body, a failed write (a full
/// disk), a stopped or failed transfer or an XML reply in place of the file leaves it as it was
/// and makes the download a failure, as does a reply that is not the file (another status,
/// another type, a page in its place). Every reply, whatever it is, ends in finished(), so the
/// one waiting always hears of the outcome; a withdrawn download ends silently, nothing written.
class FileDownload : public QObject,
                     public Interface::DownloadCommandInterface,
                     public Interface::AuthenticatedCommandInterface {
    Q_OBJECT
public:
    QString getPath() const final { return path; }
    QMap<QString, QString> getParameters() const final { return parameters; }
    void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) final;
    void useResponse(QByteArray body) final;
    void useReplyHeaders(int status, const QString& contentType) final;
    void useFailure() final;
    bool streamsBody() const final { return true; }
    bool openStream(int status, const QString& contentType) final;
    bool writeStream(const QByteArray& bytes) final;
    void closeStream() final;

    bool isSuccess() const { return success; }
    QString getDestinationPath() const { return destinationPath; }

signals:
    /// Bytes of the body written so far.
    void received(qint64 bytes);

protected:
    FileDownload(const QString& path, const QMap<QString, QString>& parameters,
        const QString& destinationPath, const QStringList& types,
        const QByteArray& signature = QByteArray());
    /// Tells the owner the outcome; called once per reply.
    virtual void finished() = 0;
    ~FileDownload() override;

private:
    /// The first bytes are in (or the body has ended): whether they can start the file.
    bool checkStart();

    QString path;
    QMap<QString, QString> parameters;
    QString destinationPath;
    QStringList types;
    QByteArray signature;
    int status = 200;
    QString contentType;
    bool success = false;
    /// The new file while it arrives; the user's file is replaced only on its commit.
    std::unique_ptr<QSaveFile> file;
    /// The body's first bytes, for the signature and the page check.
    QByteArray head;
    bool startChecked = false;
    qint64 written = 0;
};

}
