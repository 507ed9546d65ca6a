#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace Corvane::Test {

/// A real proxy server run by a test on 127.0.0.1 and a free port: tinyproxy for HTTP, microsocks
/// for SOCKS 5, each optionally demanding a user name and password. The process is killed when
/// the object goes.
class ProxyProcess final {
public:
    enum class Kind { Http, Socks5 };

    explicit ProxyProcess(
        Kind kind, const QString& username = QString(), const QString& password = QString());
    ~ProxyProcess();
    ProxyProcess(const ProxyProcess&) = delete;
    ProxyProcess& operator=(const ProxyProcess&) = delete;

    /// Starts the proxy and waits until it accepts connections.
    bool start();
    quint16 port() const { return listenPort; }
    /// What tinyproxy logged so far (its requests included); empty for microsocks.
    QString log() const;

    /// A port on 127.0.0.1 that nothing listens on at the time of the call.
    static quint16 freePort();

private:
    Kind kind;
    QString username;
    QString password;
    quint16 listenPort = 0;
    QTemporaryDir directory;
    QProcess process;
};

}
