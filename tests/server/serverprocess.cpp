#include "serverprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>

namespace Corvane::Test {

ServerProcess::ServerProcess(const QString& executable)
    : executable(executable)
{
}

ServerProcess::~ServerProcess()
{
    if (server.state() != QProcess::NotRunning)
        stop();
}

QByteArray ServerProcess::runTool(const QStringList& arguments, int* exitCode) const
{
    QProcess tool;
    tool.start(executable, QStringList { "--data", dataDirectory.path() } + arguments);
    tool.waitForFinished(120000);
    if (exitCode)
        *exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return tool.readAllStandardOutput();
}

bool ServerProcess::start(const QString& size, QString& error)
{
    int exitCode = 0;
    const QByteArray seedOutput = runTool({ "seed", "--size", size }, &exitCode);
    if (exitCode != 0) {
        error = "seed failed: " + QString::fromUtf8(seedOutput);
        return false;
    }
    static const QRegularExpression accountLine(
        QStringLiteral(R"(^  consortium (\d{11})  user ([A-Z0-9]{16})  (.+)$)"),
        QRegularExpression::MultilineOption);
    auto matches = accountLine.globalMatch(QString::fromUtf8(seedOutput));
    while (matches.hasNext()) {
        const auto match = matches.next();
        accounts.insert(match.captured(3), match.captured(2));
        consortia.insert(match.captured(2), match.captured(1));
    }

    return serve("127.0.0.1:0", error);
}

bool ServerProcess::restart(QString& error)
{
    return serve(QString("127.0.0.1:%1").arg(port), error);
}

bool ServerProcess::serve(const QString& listen, QString& error)
{
    // The log goes to a file: an unread pipe would fill up and stall the server's workers. A
    // restart adds to it, so only what follows the earlier output is looked at.
    const int earlier = getOutput().size();
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.setStandardOutputFile(logPath(), QIODevice::Append);
    server.start(executable,
        { "--data", dataDirectory.path(), "serve", "--listen", listen, "--exit-with-parent" });
    const QDeadlineTimer deadline(60000);
    static const QRegularExpression listening(
        QStringLiteral(R"(listening on https://127\.0\.0\.1:(\d+))"));
    server.waitForStarted();
    while (!deadline.hasExpired() && server.state() != QProcess::NotRunning) {
        const auto match = listening.match(QString::fromUtf8(getOutput().mid(earlier)));
        if (match.hasMatch()) {
            port = match.captured(1).toInt();
            return true;
        }
        server.waitForFinished(50);
    }
    error = "server did not start: " + QString::fromUtf8(getOutput());
    return false;
}

int ServerProcess::stop()
{
    server.terminate();
    if (!server.waitForFinished(30000)) {
        server.kill();
        server.waitForFinished();
        return -1;
    }
    return server.exitStatus() == QProcess::NormalExit ? server.exitCode() : -1;
}

qint64 ServerProcess::getStatusKib(const QByteArray& name) const
{
    QFile status(QString("/proc/%1/status").arg(server.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QByteArray ServerProcess::getOutput() const
{
    QFile log(logPath());
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

}
