// Feeds arbitrary bytes to the reply parser as a reply body and reads back every decoded header
// field and every record field, so that the sanitizers see each character the parser produced.
#include "protocol/xmlparser.h"

#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>

namespace {

size_t readBack(const QString& text)
{
    size_t sum = 0;
    for (const QChar ch : text)
        sum += ch.unicode();
    return sum;
}

size_t readBack(const QMap<QString, QString>& fields)
{
    size_t sum = 0;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        sum += readBack(it.key()) + readBack(it.value());
    return sum;
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The parser logs every field at debug level; formatting the log is not what is tested here.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One parser for every reply, as the command manager keeps it.
    static Corvane::XmlParser parser;
    const QByteArray body(reinterpret_cast<const char*>(data), int(size));

    const QMap<QString, QString> header = parser.parse(body);
    const QList<Corvane::DataRow> rows = parser.takeRows();
    volatile size_t sink = readBack(header);
    for (const Corvane::DataRow& row : rows)
        sink = sink + readBack(row);

    // Nothing of one reply may stay behind for the next: the same body decodes the same way again.
    if (parser.parse(body) != header || parser.takeRows() != rows)
        std::abort();
    return 0;
}
