#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace Corvane::Test {

/// A seeded tessaro-server in a temporary data folder, serving HTTPS on a free port of
/// 127.0.0.1 until stop() or destruction.
class ServerProcess final {
public:
    explicit ServerProcess(const QString& executable);
    ~ServerProcess();

    /// Seeds with size ("demo" or "large") and starts serving; false with a message on failure.
    bool start(const QString& size, QString& error);
    /// SIGTERM, then waits; returns the exit code (-1 on a crash or time-out).
    int stop();
    /// Serves again, after stop(), on the same port with the same data; false with a message.
    bool restart(QString& error);

    int getPort() const { return port; }
    qint64 getProcessId() const { return server.processId(); }
    /// A line of the server's /proc status ("VmRSS", "VmHWM") in KiB, or -1.
    qint64 getStatusKib(const QByteArray& name) const;
    QString getDataDirectory() const { return dataDirectory.path(); }
    QString getCaPath() const { return dataDirectory.path() + QStringLiteral("/tls/ca.pem"); }
    /// The seed's demo accounts: description → user fiscal code.
    QMap<QString, QString> getAccounts() const { return accounts; }
    QString getConsortiumOf(const QString& userCode) const { return consortia.value(userCode); }
    /// Everything the server wrote on standard output so far.
    QByteArray getOutput() const;
    /// Runs another command of the binary on the same data folder; returns its standard output.
    QByteArray runTool(const QStringList& arguments, int* exitCode = nullptr) const;

private:
    QString logPath() const { return dataDirectory.path() + QStringLiteral("/server.log"); }
    /// Starts serving on listen ("127.0.0.1:port") and waits for it to say so.
    bool serve(const QString& listen, QString& error);

    QString executable;
    QTemporaryDir dataDirectory;
    QProcess server;
    int port = 0;
    QMap<QString, QString> accounts;
    QMap<QString, QString> consortia;
};

}
