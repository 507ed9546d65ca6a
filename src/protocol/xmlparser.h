#pragma once

#include "protocol/datarow.h"

#include <QObject>
#include <QVector>

#include <memory>

class QXmlStreamReader;

namespace Corvane {

/// Decodes a server reply into its result header ("item_res", plain text) and its records
/// ("item_dati", Base64 of Windows-1252 text), and names the result codes the client knows.
/// One instance, owned by the command manager and reused for every reply. Replies never declare a
/// document type; one that does is refused whole, so no entity can expand inside a reply.
class XmlParser final : public QObject {
    Q_OBJECT
public:
    enum XML_RESPONSE {
        OK = 0,
        UNK_CONFIDI = 3,
        UNK_USER = 4,
        LOGIN_FAIL = 9,
        NO_SEARCH_RESULT = 10,
        PEC_NOT_FOUND = 11,
        RATE_LIMITER_ERROR_MESSAGE = 201,
        JWT_AUTH_NOT_FOUND = 300,
        ACTIVATION_CODE_NOT_FOUND = 301,
        PASSWORD_EXPIRED = 302,
        TWOFA_NOT_ACTIVE = 303,
        JWT_2FA_NOT_FOUND = 304,
        USER_ALREADY_PRESENT = 305,
        ACTIVATION_CODE_FAIL = 307,
        ACTIVATION_CODE_EXPIRED = 308,
        TWOFA_AUTH_FAIL = 311,
        TWOFA_AUTH_NOT_VALID = 312,
        JWT_NOT_VALID = 313,
        PASSWORD_FAIL = 314,
        TWOFA_FIRST_AUTH_FAIL = 315,
        PASSWORD_VALIDATION_FAIL = 316,
        LOGIN_VALIDATION_FAIL = 317,
        ACCOUNT_REQUEST_VALIDATION_FAIL = 318,
        ACTIVATION_CODE_VALIDATION_FAIL = 319,
        TWOFA_FIRST_AUTH_VALIDATION_FAIL = 320,
        TWOFA_AUTH_VALIDATION_FAIL = 321,
    };
    Q_ENUM(XML_RESPONSE)

    explicit XmlParser(QObject* parent = nullptr);
    ~XmlParser() override;

    /// The header fields of body; its records are kept until takeRows.
    QMap<QString, QString> parse(const QByteArray& body);
    /// The records collected since the last call.
    QList<DataRow> takeRows();

    /// Base64 (invalid characters skipped) of Windows-1252 text, as record fields carry it.
    static QString decodeBase64(const QString& text);
    /// Base64 of the UTF-8 text, as request fields carry free text.
    static QString encodeBase64(const QString& text);

private:
    void readHeader();
    void readRecord();
    /// The Base64 text of the current element, decoded; the reader ends on its end tag.
    QString readEncodedText();

    /// The reader of the reply being parsed; none between replies, so nothing one reply declares
    /// can reach the next and the body is not kept alive after its parse.
    std::unique_ptr<QXmlStreamReader> reader;
    QMap<QString, QString> header;
    DataRow currentRow;
    /// The values of the record being read, by place among the known fields.
    QVector<QString> fieldValues;
    QList<DataRow> rows;
};

}
