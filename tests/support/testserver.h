#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <memory>

namespace Corvane::Test {

/// One request as the scripted server received it; header names are lower-case.
struct RecordedRequest {
    QString method;
    QString path;
    QMap<QString, QString> headers;
    QMap<QString, QString> form;
    QByteArray body;
};

/// What the scripted server answers on one path.
struct ScriptedReply {
    int status = 200;
    QByteArray contentType = "text/xml";
    QByteArray body;
    int delayMs = 0;
    bool dropConnection = false;
};

/// A local HTTP(S) server on 127.0.0.1 and a random port, on a thread of its own, that answers
/// each path as scripted (404 if not) and records every request. HTTPS uses the run's test
/// certificate signed by the test CA, or a self-signed one that no client trusts.
class TestServer final {
public:
    enum class Mode { Https, SelfSignedHttps, PlainHttp };

    explicit TestServer(Mode mode = Mode::Https);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    void setReply(const QString& path, const ScriptedReply& reply);
    /// Shorthand for an XML reply with status 200.
    void setXmlReply(const QString& path, const QByteArray& xml);

    quint16 port() const;
    /// "https://127.0.0.1:<port>" or "http://127.0.0.1:<port>".
    QString baseUrl() const;

    QList<RecordedRequest> requests() const;
    int requestCount() const;

    /// Decodes an application/x-www-form-urlencoded body the way web servers do ("+" is a blank).
    static QMap<QString, QString> decodeForm(const QByteArray& body);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}
