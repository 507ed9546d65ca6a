#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <memory>

namespace httplib {
class Client;
}

namespace Corvane::Test {

/// One answer of the service, decoded independently of the client's own parser: the header
/// fields as plain text, each record as a map (an "id"/"descr" record as id → descr).
struct ServiceReply {
    int status = 0;
    QString contentType;
    QByteArray body;
    QMap<QString, QString> header;
    QList<QMap<QString, QString>> rows;

    QString resultCode() const;
    /// The value of key in the first record that has it ("" when none does).
    QString value(const QString& key) const;
};

/// A plain HTTPS client for the service, trusting only the given CA. Not thread-safe: one per
/// thread.
class ServiceClient final {
public:
    ServiceClient(const QString& host, int port, const QString& caPath);
    ~ServiceClient();

    ServiceReply post(const QString& path, const QMap<QString, QString>& fields,
        const QString& authToken = {}, const QString& twoFaToken = {});
    ServiceReply get(const QString& path);

    /// Form body as the client encodes it: every byte outside the unreserved set as %XX.
    static QByteArray encodeForm(const QMap<QString, QString>& fields);
    static void decodeXml(ServiceReply& reply);

private:
    std::unique_ptr<httplib::Client> client;
};

}
