#include "serviceclient.h"

#include <QTextCodec>
#include <QUrl>
#include <QXmlStreamReader>

#include <httplib.h>

namespace Corvane::Test {

QString ServiceReply::resultCode() const { return header.value(QStringLiteral("esito_id")); }

QString ServiceReply::value(const QString& key) const
{
    for (const auto& row : rows) {
        if (row.contains(key))
            return row.value(key);
    }
    return {};
}

ServiceClient::ServiceClient(const QString& host, int port, const QString& caPath)
{
    const std::string base = (caPath.isEmpty() ? "http://" : "https://") + host.toStdString() + ":"
        + std::to_string(port);
    client = std::make_unique<httplib::Client>(base);
    if (!caPath.isEmpty()) {
        client->set_ca_cert_path(caPath.toStdString());
        client->enable_server_certificate_verification(true);
    }
    client->set_keep_alive(true);
    client->set_tcp_nodelay(true);
    client->set_read_timeout(60);
}

ServiceClient::~ServiceClient() = default;

QByteArray ServiceClient::encodeForm(const QMap<QString, QString>& fields)
{
    QByteArray body;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(it.key()) + '=' + QUrl::toPercentEncoding(it.value());
    }
    return body;
}

void ServiceClient::decodeXml(ServiceReply& reply)
{
    static QTextCodec* const codec = QTextCodec::codecForName("Windows-1252");
    QXmlStreamReader reader(reply.body);
    while (!reader.atEnd()) {
        reader.readNext();
        const bool header = reader.name() == QLatin1String("item_res");
        if (!reader.isStartElement() || (!header && reader.name() != QLatin1String("item_dati")))
            continue;
        QMap<QString, QString> row;
        while (reader.readNextStartElement()) {
            const QString name = reader.name().toString();
            const QString text = reader.readElementText();
            if (header)
                reply.header.insert(name, text);
            else
                row.insert(name, codec->toUnicode(QByteArray::fromBase64(text.toLatin1())));
        }
        if (header)
            continue;
        const QString id = row.take(QStringLiteral("id"));
        const QString descr = row.take(QStringLiteral("descr"));
        if (!id.isEmpty())
            row.insert(id, descr);
        reply.rows.append(row);
    }
}

ServiceReply ServiceClient::post(const QString& path, const QMap<QString, QString>& fields,
    const QString& authToken, const QString& twoFaToken)
{
    QMap<QString, QString> form = fields;
    form.insert(QStringLiteral("cmd"), path);
    const httplib::Headers headers { { "auth", authToken.toStdString() },
        { "twoFa", twoFaToken.toStdString() } };
    const QByteArray body = encodeForm(form);
    const auto result = client->Post(path.toStdString().c_str(), headers, body.constData(),
        static_cast<size_t>(body.size()), "application/x-www-form-urlencoded");
    ServiceReply reply;
    if (result) {
        reply.status = result->status;
        reply.contentType = QString::fromStdString(result->get_header_value("Content-Type"));
        reply.body = QByteArray::fromStdString(result->body);
        if (reply.contentType.startsWith(QLatin1String("text/html")))
            decodeXml(reply);
    }
    return reply;
}

ServiceReply ServiceClient::get(const QString& path)
{
    const auto result = client->Get(path.toStdString().c_str());
    ServiceReply reply;
    reply.status = result ? result->status : 0;
    return reply;
}

}
