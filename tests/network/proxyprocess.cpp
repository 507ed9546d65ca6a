#include "network/proxyprocess.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace Corvane::Test {

ProxyProcess::ProxyProcess(Kind kind, const QString& username, const QString& password)
    : kind(kind)
    , username(username)
    , password(password)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
}

ProxyProcess::~ProxyProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

quint16 ProxyProcess::freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

bool ProxyProcess::start()
{
    listenPort = freePort();
    QStringList arguments;
    QString program;
    if (kind == Kind::Http) {
        program = QStringLiteral("tinyproxy");
        const QString configPath = directory.filePath(QStringLiteral("tinyproxy.conf"));
        QFile config(configPath);
        if (!config.open(QIODevice::WriteOnly))
            return false;
        QString text = QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                                      "LogFile \"%2\"\nLogLevel Connect\n")
                           .arg(listenPort)
                           .arg(directory.filePath(QStringLiteral("tinyproxy.log")));
        if (!username.isEmpty())
            text += QStringLiteral("BasicAuth %1 %2\n").arg(username, password);
        config.write(text.toUtf8());
        config.close();
        arguments << QStringLiteral("-d") << QStringLiteral("-c") << configPath;
    } else {
        program = QStringLiteral("microsocks");
        arguments << QStringLiteral("-i") << QStringLiteral("127.0.0.1") << QStringLiteral("-p")
                  << QString::number(listenPort);
        if (!username.isEmpty())
            arguments << QStringLiteral("-u") << username << QStringLiteral("-P") << password;
    }
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return false;
    return QTest::qWaitFor(
               [this] {
                   if (process.state() != QProcess::Running)
                       return true;
                   QTcpSocket probe;
                   probe.connectToHost(QHostAddress::LocalHost, listenPort);
                   return probe.waitForConnected(200);
               },
               10000)
        && process.state() == QProcess::Running;
}

QString ProxyProcess::log() const
{
    QFile file(directory.filePath(QStringLiteral("tinyproxy.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

}
