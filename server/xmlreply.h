#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace Corvane::Server {

/// One data record of a reply: field name and its text, in the order written.
using Record = std::vector<std::pair<std::string, QString>>;

/// Builds the XML answer the client decodes: one "item_res" with plain header fields and one
/// "item_dati" per record, whose values travel as Base64 of Windows-1252 text. Only names the
/// client knows are accepted; any other name is a programming error and aborts debug builds.
class XmlReply final {
public:
    explicit XmlReply(int resultCode, const QString& description = {});

    int getResultCode() const;
    void setHeader(const std::string& name, const QString& value);
    void addRecord(const Record& record);
    /// A single value, as an "id"/"descr" record.
    void addValue(const QString& id, const QString& description);
    int recordCount() const;
    QByteArray toXml() const;

    static QByteArray encodeValue(const QString& text);
    static bool isKnownHeaderField(const std::string& name);
    static bool isKnownRecordField(const std::string& name);

private:
    int resultCode;
    std::vector<std::pair<std::string, QString>> header;
    std::vector<Record> records;
};

}
