#include "commands/search/filedownload.h"

#include "core/logging.h"

#include <QFileInfo>
#include <QSaveFile>

namespace Corvane::Command::Search {

namespace {
    /// Enough of the body for the signature and for markup after a byte-order mark and blanks.
    constexpr int startBytes = 64;
}

QString safeFileName(const QString& suggested, const QString& fallback)
{
    QString name = suggested;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    QString kept;
    for (const QChar c : qAsConst(name)) {
        if (c.category() != QChar::Other_Control && c != QChar::LineSeparator
            && c != QChar::ParagraphSeparator)
            kept += c;
    }
    // ".." and "." are dots only: nothing of them is left either.
    while (kept.startsWith(QLatin1Char('.')))
        kept.remove(0, 1);
    kept = kept.trimmed();
    return kept.isEmpty() ? fallback : kept;
}

bool isExpectedFile(int status, const QString& contentType, const QByteArray& body,
    const QStringList& types, const QByteArray& signature)
{
    if (!isExpectedType(status, contentType, types) || body.isEmpty())
        return false;
    if (!signature.isEmpty() && !body.startsWith(signature))
        return false;
    // None of the files offered starts with markup: a page or an XML reply sent in its place does.
    QByteArray start = body.left(startBytes).trimmed();
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.mid(3).trimmed();
    return !start.startsWith('<');
}

bool isExpectedType(int status, const QString& contentType, const QStringList& types)
{
    const QString type = contentType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    return status == 200 && types.contains(type);
}

FileDownload::FileDownload(const QString& path, const QMap<QString, QString>& parameters,
    const QString& destinationPath, const QStringList& types, const QByteArray& signature)
    : path(path)
    , parameters(parameters)
    , destinationPath(destinationPath)
    , types(types)
    , signature(signature)
{
}

FileDownload::~FileDownload() = default;

void FileDownload::useReplyHeaders(int replyStatus, const QString& replyType)
{
    status = replyStatus;
    contentType = replyType;
}

void FileDownload::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    qCWarning(corvaneLog) << metaObject()->className()
                          << "command can't manage xml reply. It's just intended to manage file "
                             "stream";
    // The window waits for an outcome: an XML answer in place of the file is a failed download.
    success = false;
    finished();
}

void FileDownload::useResponse(QByteArray body)
{
    // A body handed over whole goes the streamed way in one piece.
    if (openStream(status, contentType) && writeStream(body))
        closeStream();
    else
        useFailure();
}

void FileDownload::useFailure()
{
    // The unfinished file goes; the user's one stays.
    file.reset();
    success = false;
    finished();
}

bool FileDownload::openStream(int replyStatus, const QString& replyType)
{
    useReplyHeaders(replyStatus, replyType);
    head.clear();
    startChecked = false;
    written = 0;
    // Checked before the file is touched, so the one the user has stays.
    if (!isExpectedType(status, contentType, types)) {
        qCWarning(corvaneLog) << "The download is not the file expected: status" << status << "type"
                              << contentType;
        return false;
    }
    file = std::make_unique<QSaveFile>(destinationPath);
    if (!file->open(QIODevice::WriteOnly)) {
        qCWarning(corvaneLog) << "Error while trying to open the file" << destinationPath
                              << file->errorString();
        file.reset();
        return false;
    }
    return true;
}

bool FileDownload::writeStream(const QByteArray& bytes)
{
    if (!file)
        return false;
    if (!startChecked) {
        head += bytes.left(startBytes - head.size());
        if (head.size() >= startBytes && !checkStart())
            return false;
    }
    if (file->write(bytes) != bytes.size()) {
        qCCritical(corvaneLog) << "Error while writing the file" << destinationPath
                               << file->errorString();
        file.reset();
        return false;
    }
    written += bytes.size();
    emit received(written);
    return true;
}

void FileDownload::closeStream()
{
    success = file && (startChecked || checkStart()) && file->commit();
    if (file && !success)
        qCCritical(corvaneLog) << "The file" << destinationPath << "was not saved"
                               << file->errorString();
    file.reset();
    finished();
}

bool FileDownload::checkStart()
{
    startChecked = true;
    if (isExpectedFile(status, contentType, head, types, signature))
        return true;
    qCWarning(corvaneLog) << "The download is not the file expected: status" << status << "type"
                          << contentType << "starting with" << head.size() << "bytes";
    file.reset();
    return false;
}

}
