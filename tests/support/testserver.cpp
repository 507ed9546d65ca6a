#include "support/testserver.h"

#include "support/testenvironment.h"

#include <QUrl>

#include <chrono>
#include <condition_variable>
#include <httplib.h>
#include <mutex>
#include <thread>

namespace Corvane::Test {

struct TestServer::Private {
    Mode mode = Mode::Https;
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    std::condition_variable stopping;
    bool stopped = false;
    QMap<QString, ScriptedReply> script;
    QList<RecordedRequest> requests;

    void handle(const httplib::Request& request, httplib::Response& response);
};

void TestServer::Private::handle(const httplib::Request& request, httplib::Response& response)
{
    RecordedRequest recorded { QString::fromStdString(request.method),
        QString::fromStdString(request.path), {}, {}, QByteArray::fromStdString(request.body) };
    for (const auto& [name, value] : request.headers)
        recorded.headers.insert(
            QString::fromStdString(name).toLower(), QString::fromStdString(value));
    recorded.form = decodeForm(recorded.body);

    std::unique_lock lock(mutex);
    requests.append(recorded);
    if (!script.contains(recorded.path)) {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }
    const ScriptedReply reply = script.value(recorded.path);
    stopping.wait_for(lock, std::chrono::milliseconds(reply.delayMs), [this] { return stopped; });
    lock.unlock();
    response.status = reply.status;
    if (reply.dropConnection) {
        // Announce a body, then close the connection before sending it.
        response.set_content_provider(1000, reply.contentType.toStdString(),
            [](size_t, size_t, httplib::DataSink&) { return false; });
        return;
    }
    response.set_content(reply.body.toStdString(), reply.contentType.toStdString());
}

TestServer::TestServer(Mode mode)
    : d(std::make_unique<Private>())
{
    d->mode = mode;
    if (mode == Mode::PlainHttp) {
        d->server = std::make_unique<httplib::Server>();
    } else {
        const QString base = TestEnvironment::pkiDirectory()
            + (mode == Mode::Https ? "/localhost" : "/selfsigned");
        d->server
            = std::make_unique<httplib::SSLServer>(QString(base + ".pem").toStdString().c_str(),
                QString(base + ".key").toStdString().c_str());
    }
    auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        d->handle(request, response);
    };
    d->server->Get(R"(/.*)", handler);
    d->server->Post(R"(/.*)", handler);
    d->server->set_keep_alive_max_count(100);
    d->port = d->server->bind_to_any_port("127.0.0.1");
    d->thread = std::thread([this] { d->server->listen_after_bind(); });
    while (!d->server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestServer::~TestServer()
{
    {
        std::lock_guard lock(d->mutex);
        d->stopped = true;
    }
    d->stopping.notify_all();
    d->server->stop();
    if (d->thread.joinable())
        d->thread.join();
}

void TestServer::setReply(const QString& path, const ScriptedReply& reply)
{
    std::lock_guard lock(d->mutex);
    d->script.insert(path, reply);
}

void TestServer::setXmlReply(const QString& path, const QByteArray& xml)
{
    setReply(path, { 200, "text/xml", xml });
}

quint16 TestServer::port() const { return static_cast<quint16>(d->port); }

QString TestServer::baseUrl() const
{
    return QString(d->mode == Mode::PlainHttp ? "http" : "https")
        + "://127.0.0.1:" + QString::number(d->port);
}

QList<RecordedRequest> TestServer::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

int TestServer::requestCount() const
{
    std::lock_guard lock(d->mutex);
    return d->requests.size();
}

QMap<QString, QString> TestServer::decodeForm(const QByteArray& body)
{
    QMap<QString, QString> form;
    if (body.isEmpty())
        return form;
    for (QByteArray pair : body.split('&')) {
        pair.replace('+', ' ');
        const int equals = pair.indexOf('=');
        const QByteArray name = equals < 0 ? pair : pair.left(equals);
        const QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
        form.insert(QString::fromUtf8(QByteArray::fromPercentEncoding(name)),
            QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return form;
}

}
