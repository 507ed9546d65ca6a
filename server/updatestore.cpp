#include "updatestore.h"

#include "database.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <quazip/JlCompress.h>
#include <quazip/quazip.h>

namespace Corvane::Server {

UpdateStore::UpdateStore(Database& db, const std::string& dataDirectory)
    : db(db)
    , dataDirectory(dataDirectory)
{
}

bool UpdateStore::packRelease(const std::string& executablePath, const std::string& programName,
    const std::string& archivePath, std::string& error)
{
    const QString executable = QString::fromStdString(executablePath);
    if (!QFileInfo(executable).isFile()) {
        error = "cannot read " + executablePath;
        return false;
    }
    QuaZip zip(QString::fromStdString(archivePath));
    if (!zip.open(QuaZip::mdCreate)
        || !JlCompress::compressFile(&zip, executable, QString::fromStdString(programName))) {
        error = "cannot write " + archivePath;
        return false;
    }
    zip.close();
    if (zip.getZipError() != 0) {
        error = "cannot write " + archivePath;
        return false;
    }
    return true;
}

std::string UpdateStore::setting(const char* key) const
{
    Statement query = db.prepare("SELECT value FROM settings WHERE key = ?");
    query.bind(1, key);
    return query.step() ? query.text(0) : std::string();
}

bool UpdateStore::publish(
    const std::string& version, const std::string& archivePath, std::string& error)
{
    QFile source(QString::fromStdString(archivePath));
    if (!source.open(QIODevice::ReadOnly)) {
        error = "cannot read " + archivePath;
        return false;
    }
    const QByteArray bytes = source.readAll();
    const QString directory = QString::fromStdString(dataDirectory) + QStringLiteral("/updates");
    QDir().mkpath(directory);
    const QString target = directory + QStringLiteral("/CorvaneWin.zip");
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        error = "cannot write " + target.toStdString();
        return false;
    }
    file.close();
    const std::string md5
        = QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toStdString();
    Transaction transaction(db);
    Statement store = db.prepare("INSERT OR REPLACE INTO settings (key, value) VALUES (?, ?)");
    store.bind(1, "update_version").bind(2, version).run();
    store.bind(1, "update_md5").bind(2, md5).run();
    transaction.commit();
    return true;
}

std::string UpdateStore::getLastVersion() const
{
    const std::string version = setting("update_version");
    return version.empty() ? defaultVersion : version;
}

std::string UpdateStore::getArchiveMd5() const { return setting("update_md5"); }

bool UpdateStore::readArchive(const std::string& version, std::string& bytes) const
{
    if (getArchiveMd5().empty() || version != getLastVersion())
        return false;
    QFile file(QString::fromStdString(dataDirectory) + QStringLiteral("/updates/CorvaneWin.zip"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll().toStdString();
    return true;
}

}
