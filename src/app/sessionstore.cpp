#include "app/sessionstore.h"

#include "app/credential.h"
#include "core/logging.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>
#include <qt5keychain/keychain.h>

#include <cerrno>
#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Corvane {

const QString SessionStore::authFile = QStringLiteral("auth.txt");
const QString SessionStore::twoFaFile = QStringLiteral("twofa.txt");

namespace {
    const QString keychainService = QStringLiteral("corvane");
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

    /// Runs a keychain job to its end in a local event loop.
    void runJob(QKeychain::Job& job)
    {
        job.setAutoDelete(false);
        QEventLoop loop;
        QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
        job.start();
        loop.exec();
    }

    /// The keychain entries of the credential, in the order `Credential` takes them.
    const QStringList credentialKeys { QStringLiteral("cf_utente"), QStringLiteral("cf_confidi"),
        QStringLiteral("password") };

    /// What a finished read found; empty on any failure, which is logged.
    QString valueOf(const QKeychain::ReadPasswordJob& job)
    {
        if (job.error() != QKeychain::NoError) {
            qCDebug(corvaneLog) << "KeyHandler~Error reading decrypt Pass. Error: "
                                << job.errorString();
            return {};
        }
        return job.textData();
    }

    /// A credential read entry by entry, each read starting the next (the keychain library runs
    /// its jobs one at a time anyway).
    struct CredentialReading {
        QPointer<QObject> context;
        std::function<void(Credential*)> done;
        QStringList values = {};
    };

    void readNextKey(const std::shared_ptr<CredentialReading>& reading)
    {
        if (reading->values.size() == credentialKeys.size()) {
            if (reading->context)
                reading->done(new Credential(
                    reading->values.at(0), reading->values.at(1), reading->values.at(2)));
            return;
        }
        auto* job = new QKeychain::ReadPasswordJob(keychainService);
        job->setKey(credentialKeys.at(reading->values.size()));
        QObject::connect(job, &QKeychain::ReadPasswordJob::finished, [reading, job] {
            reading->values.append(valueOf(*job));
            readNextKey(reading);
        });
        job->start();
    }

    /// Opens a session file for writing, emptied, readable and writable by its owner only before
    /// its first byte is written.
    bool openOwnerOnly(QFile& file)
    {
#ifdef Q_OS_UNIX
        const int fd = ::open(QFile::encodeName(file.fileName()).constData(),
            O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd < 0)
            return false;
        // An existing file keeps its mode through open(): it is narrowed while still empty.
        if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0
            || !file.open(
                fd, QIODevice::WriteOnly | QIODevice::Text, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return false;
        }
        return true;
#else
        return file.open(QIODevice::WriteOnly | QIODevice::Text) && file.setPermissions(ownerOnly);
#endif
    }
}

QString SessionStore::readKey(const QString& key)
{
    QKeychain::ReadPasswordJob job(keychainService);
    job.setKey(key);
    runJob(job);
    return valueOf(job);
}

void SessionStore::writeKey(const QString& key, const QString& value)
{
    QKeychain::WritePasswordJob job(keychainService);
    job.setKey(key);
    job.setTextData(value);
    runJob(job);
    if (job.error() != QKeychain::NoError)
        qCDebug(corvaneLog) << "KeyHandler~Error writing decrypt Pass. Error: "
                            << job.errorString();
}

void SessionStore::writeKeys(const QMap<QString, QString>& entries)
{
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        writeKey(it.key(), it.value());
}

Credential* SessionStore::readCredential()
{
    return new Credential(readKey(credentialKeys.at(0)), readKey(credentialKeys.at(1)),
        readKey(credentialKeys.at(2)));
}

void SessionStore::readCredentialLater(QObject* context, std::function<void(Credential*)> done)
{
    readNextKey(
        std::make_shared<CredentialReading>(CredentialReading { context, std::move(done) }));
}

bool SessionStore::makeFolder()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
#ifdef Q_OS_UNIX
        // Created narrow, never narrowed afterwards: no moment when others may enter.
        if (::mkdir(QFile::encodeName(path).constData(), S_IRWXU) != 0 && errno != EEXIST)
            return false;
#else
        QDir().mkdir(path);
#endif
    }
    // A folder left by an earlier version is narrowed too.
    return QFile::setPermissions(path, ownerOnly | QFileDevice::ExeOwner);
}

QString SessionStore::filePath(const QString& name)
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/')
        + name;
}

void SessionStore::writeFile(const QString& name, const QString& content)
{
    if (content.isEmpty()) {
        // An empty token is no session: the file goes, so no stale token outlives the step.
        qCWarning(corvaneLog) << "Not writing an empty session file" << name;
        removeFile(name);
        return;
    }
    QFile file(filePath(name));
    if (!makeFolder() || !openOwnerOnly(file)) {
        qCDebug(corvaneLog) << "Could not open file for writing";
        return;
    }
    QTextStream out(&file);
    out << content;
    out.flush();
    file.close();
}

void SessionStore::removeFile(const QString& name) { QFile::remove(filePath(name)); }

}
