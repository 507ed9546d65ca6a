#include "support/testcommands.h"

#include <QTextCodec>
#include <QXmlStreamWriter>

namespace Corvane::Test {

QByteArray xmlReply(const QMap<QString, QString>& header, const QList<DataRow>& records)
{
    QTextCodec* codec = QTextCodec::codecForName("Windows-1252");
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("risposta"));
    writer.writeStartElement(QStringLiteral("item_res"));
    for (auto it = header.cbegin(); it != header.cend(); ++it)
        writer.writeTextElement(it.key(), it.value());
    writer.writeEndElement();
    for (const DataRow& record : records) {
        writer.writeStartElement(QStringLiteral("item_dati"));
        for (auto it = record.cbegin(); it != record.cend(); ++it)
            writer.writeTextElement(
                it.key(), QString::fromLatin1(codec->fromUnicode(it.value()).toBase64()));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

QByteArray resultReply(const QString& esitoId, const QList<DataRow>& records)
{
    return xmlReply({ { QStringLiteral("esito_id"), esitoId } }, records);
}

DataRow idRecord(const QString& id, const QString& descr)
{
    return { { QStringLiteral("id"), id }, { QStringLiteral("descr"), descr } };
}

}
