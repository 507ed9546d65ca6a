#include "tlsmaterial.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <cstdio>

namespace Corvane::Server {

namespace {
    bool runOpenssl(const QString& workingDirectory, const QStringList& arguments)
    {
        QProcess process;
        process.setWorkingDirectory(workingDirectory);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("openssl"), arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0) {
            std::fprintf(stderr, "openssl %s failed: %s\n",
                arguments.value(0).toLocal8Bit().constData(), process.readAll().constData());
            return false;
        }
        return true;
    }
}

TlsMaterial::TlsMaterial(const std::string& dataDirectory)
    : directory(dataDirectory + "/tls")
{
}

std::string TlsMaterial::getCaPath() const { return directory + "/ca.pem"; }

std::string TlsMaterial::getCertificatePath() const { return directory + "/server.pem"; }

std::string TlsMaterial::getKeyPath() const { return directory + "/server.key"; }

bool TlsMaterial::ensure() const
{
    const QString dir = QString::fromStdString(directory);
    if (QFile::exists(QString::fromStdString(getCertificatePath()))
        && QFile::exists(QString::fromStdString(getKeyPath()))
        && QFile::exists(QString::fromStdString(getCaPath()))) {
        return true;
    }
    QDir().mkpath(dir);
    QFile extensions(dir + QStringLiteral("/server.ext"));
    if (!extensions.open(QIODevice::WriteOnly))
        return false;
    extensions.write("subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1\n"
                     "basicConstraints=CA:FALSE\n"
                     "keyUsage=critical,digitalSignature,keyEncipherment\n"
                     "extendedKeyUsage=serverAuth\n");
    extensions.close();
    const bool done
        = runOpenssl(dir,
              { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                  QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                  QStringLiteral("3650"), QStringLiteral("-subj"),
                  QStringLiteral("/CN=Tessaro Demo CA"), QStringLiteral("-keyout"),
                  QStringLiteral("ca.key"), QStringLiteral("-out"), QStringLiteral("ca.pem"),
                  QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                  QStringLiteral("-addext"),
                  QStringLiteral("keyUsage=critical,keyCertSign,cRLSign") })
        && runOpenssl(dir,
            { QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                QStringLiteral("-nodes"), QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
                QStringLiteral("-keyout"), QStringLiteral("server.key"), QStringLiteral("-out"),
                QStringLiteral("server.csr") })
        && runOpenssl(dir,
            { QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.pem"),
                QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("825"),
                QStringLiteral("-extfile"), QStringLiteral("server.ext"), QStringLiteral("-out"),
                QStringLiteral("server.pem") });
    QFile::remove(dir + QStringLiteral("/server.csr"));
    QFile::setPermissions(dir + QStringLiteral("/ca.key"), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(
        dir + QStringLiteral("/server.key"), QFile::ReadOwner | QFile::WriteOwner);
    return done;
}

}
