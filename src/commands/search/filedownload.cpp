#include "commands/search/filedownload.h"

#include "core/logging.h"

#include <QFileInfo>
#include <QSaveFile>

namespace Corvane::Command::Search {

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
    if (status != 200 || body.isEmpty())
        return false;
    const QString type = contentType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    if (!types.contains(type))
        return false;
    if (!signature.isEmpty() && !body.startsWith(signature))
        return false;
    // None of the files offered starts with markup: a page or an XML reply sent in its place does.
    QByteArray start = body.left(64).trimmed();
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.mid(3).trimmed();
    return !start.startsWith('<');
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
    success = save(body);
    finished();
}

bool FileDownload::save(const QByteArray& body) const
{
    if (body.isEmpty()) {
        qCDebug(corvaneLog) << "The file stream seems to be empty in"
                            << "useResponse" << metaObject()->className();
        return false;
    }
    // Checked before the file is touched, so the one the user has stays.
    if (!isExpectedFile(status, contentType, body, types, signature)) {
        qCWarning(corvaneLog) << "The download is not the file expected: status" << status << "type"
                              << contentType << body.size() << "bytes";
        return false;
    }
    QSaveFile file(destinationPath);
    if (!file.open(QIODevice::WriteOnly)) {
        qCDebug(corvaneLog) << "Error while trying to open the file" << destinationPath;
        return false;
    }
    file.write(body);
    if (!file.commit()) {
        qCCritical(corvaneLog) << "Error while trying to write the file" << destinationPath;
        return false;
    }
    return true;
}

}
