#include "protocol/xmlparser.h"

#include "core/logging.h"

#include <QBuffer>
#include <QHash>
#include <QSet>
#include <QTextCodec>
#include <QVarLengthArray>
#include <QVector>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>

namespace Corvane {

namespace {

    const QString itemRes = QStringLiteral("item_res");
    const QString itemDati = QStringLiteral("item_dati");
    const QString idField = QStringLiteral("id");
    const QString descrField = QStringLiteral("descr");

    const QSet<QString>& knownHeaderFields()
    {
        static const QSet<QString> fields {
            QStringLiteral("esito_id"),
            QStringLiteral("esito_descr"),
            QStringLiteral("abilitazione_save_pwd"),
            QStringLiteral("n_result"),
            QStringLiteral("utente_tipo"),
            QStringLiteral("email_confermata"),
            QStringLiteral("cambio_password"),
            QStringLiteral("tot_elementi"),
            QStringLiteral("versione_ufficiale_corvane"),
            QStringLiteral("stato_id_in_compilazione"),
            QStringLiteral("stato_id_deliberata_parziale_banca"),
            QStringLiteral("fusioni_presenti"),
            QStringLiteral("start"),
            QStringLiteral("tot_pag"),
            QStringLiteral("cur_pag"),
            QStringLiteral("msg_block"),
            QStringLiteral("risultati"),
            QStringLiteral("pratiche_da_ultimo_accesso"),
        };
        return fields;
    }

    /// The record fields the client knows, in the order of QString's operator<, which is the
    /// order of a DataRow's keys.
    const QVector<QString>& knownRecordFields()
    {
        static const QVector<QString> fields = [] {
            const char* const names[] = { "ragsoc_C", "anag_id", "ragione_sociale", "comune",
                "provincia", "cod_fiscale", "partita_iva", "indirizzo", "telefono", "fax", "email",
                "data_costituzione", "cciaa", "sae", "rae", "albo_ruolo", "impresa_tipo",
                "impresa_settore_merceologico", "impresa_attivita", "anag_prec", "anag_succ",
                "data_sostituzione", "cap", "testo_privacy", "report_id", "banca_abi_id",
                "nome_report", "report_file_id", "filename", "data_report_formattata", "vuoto",
                "data_creazione_formattata", "ticket_id", "codice", "oggetto",
                "data_inserimento_formattata", "data", "stato_colore", "stato", "testo", "utente",
                "utente_tipo", "data_msg", "codice_ticket", "pratica_id",
                "pratica_forma_tecnica_id", "codice_ft", "codice_descr_ft", "i_ragsoc",
                "pratica_ft_stato_id", "pratica_ft_sottostato_id", "data_delib_c_ord",
                "data_delib_c", "gar_num", "gar_perc", "num_delib_c", "importo", "data_perf_ord",
                "data_perf", "erogata_non_deliberata", "abi", "b_ragsoc", "ragsoc_completa",
                "stato_breve", "stato_id", "sottostato_id", "impresa_anagrafica_id",
                "impresa_rag_soc", "banca_denominazione", "sportello", "codice_qrv", "DC_num",
                "DC_presente", "DC_importo", "DC_scadenza", "DC_gar_num", "DC_gar_perc", "DC_data",
                "DB_num", "DB_presente", "DB_importo", "DB_data", "DB_scadenza", "DB_lcr",
                "PE_presente", "PE_data_erog", "PE_data_scad", "PE_numero", "PE_importo",
                "ES_presente", "ES_data_conclusione", "ES_tipo", "deliberabileC", "chiudibileC",
                "numero_rata", "rata", "quota_capitale", "quota_interesse", "interessi_pagati",
                "capitale_rimborsato", "debito_residuo", "data_scadenza", "data_pagamento",
                "rata_pagata", "ft_descr" };
            QVector<QString> sorted;
            for (const char* name : names)
                sorted.append(QString::fromLatin1(name));
            std::sort(sorted.begin(), sorted.end());
            sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
            return sorted;
        }();
        return fields;
    }

    /// The place in knownRecordFields of the field spelled as name, or -1 when name is not a
    /// known record field. The lookup hashes the reader's own text, so no name is copied out of it.
    int knownRecordField(const QStringRef& name)
    {
        static const QHash<QStringView, int> index = [] {
            QHash<QStringView, int> byName;
            const QVector<QString>& fields = knownRecordFields();
            for (int i = 0; i < fields.size(); ++i)
                byName.insert(QStringView(fields.at(i)), i);
            return byName;
        }();
        return index.value(QStringView(name.constData(), name.size()), -1);
    }

    /// Windows-1252 is a single-byte code: one table, taken from the codec, decodes every value.
    const std::array<QChar, 256>& windows1252Table()
    {
        static const std::array<QChar, 256> table = [] {
            std::array<QChar, 256> characters {};
            QTextCodec* codec = QTextCodec::codecForName("Windows-1252");
            for (int byte = 0; byte < 256; ++byte) {
                const QString decoded = codec->toUnicode(QByteArray(1, char(byte)));
                characters[size_t(byte)]
                    = decoded.isEmpty() ? QChar(QChar::ReplacementCharacter) : decoded.at(0);
            }
            return characters;
        }();
        return table;
    }

    /// The value of each Base64 digit of the standard alphabet; -1 for every other character.
    const std::array<qint8, 128>& base64Digits()
    {
        static const std::array<qint8, 128> digits = [] {
            std::array<qint8, 128> table {};
            table.fill(-1);
            const char alphabet[]
                = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
            for (int digit = 0; digit < 64; ++digit)
                table[size_t(uchar(alphabet[digit]))] = qint8(digit);
            return table;
        }();
        return digits;
    }

    /// The longest text one field may decode to. Far beyond any field the server sends, and far
    /// below what a QString can hold, so a hostile size fails cleanly instead of overflowing.
    constexpr qint64 largestDecodedField = qint64(16) * 1024 * 1024;

    /// Base64 decoding that, like QByteArray::fromBase64, skips every character outside the
    /// alphabet (padding included), can be fed the text in pieces, and turns each decoded
    /// Windows-1252 byte straight into its character. Text that would decode to more than
    /// largestDecodedField characters marks the decoder as overflowed and decodes to nothing.
    class Base64Decoder {
    public:
        void feed(const QChar* text, int length)
        {
            if (overflowed)
                return;
            // Padding decodes to nothing: without it, clean text is sized exactly. Sizes in 64
            // bits: a long text times six overflows an int.
            int significant = length;
            while (significant > 0 && text[significant - 1] == QLatin1Char('='))
                --significant;
            const qint64 needed = qint64(written) + (qint64(bits) + qint64(significant) * 6) / 8;
            if (needed > largestDecodedField) {
                overflowed = true;
                decoded.clear();
                written = 0;
                return;
            }
            if (needed > decoded.size()) {
                // The first piece, nearly always the only one, is allocated to the character:
                // resizing would round the block up to the next power of two.
                if (decoded.isNull())
                    decoded = QString(int(needed), Qt::Uninitialized);
                else
                    decoded.resize(int(needed));
            }
            const std::array<QChar, 256>& characters = windows1252Table();
            const std::array<qint8, 128>& digits = base64Digits();
            // needed bounds the output: nothing is written when it leaves no room.
            QChar* out = needed > written ? decoded.data() + written : nullptr;
            QChar* const start = out;
            const QChar* const end = text + length;
            if (bits == 0) {
                // Whole groups of four digits make three characters at once; the first character
                // outside the alphabet leaves the rest to the general loop below.
                for (; end - text >= 4; text += 4) {
                    const ushort c0 = text[0].unicode();
                    const ushort c1 = text[1].unicode();
                    const ushort c2 = text[2].unicode();
                    const ushort c3 = text[3].unicode();
                    if ((c0 | c1 | c2 | c3) >= 128)
                        break;
                    const int d0 = digits[c0];
                    const int d1 = digits[c1];
                    const int d2 = digits[c2];
                    const int d3 = digits[c3];
                    if ((d0 | d1 | d2 | d3) < 0)
                        break;
                    const uint group = uint(d0 << 18 | d1 << 12 | d2 << 6 | d3);
                    out[0] = characters[group >> 16];
                    out[1] = characters[(group >> 8) & 0xff];
                    out[2] = characters[group & 0xff];
                    out += 3;
                }
            }
            for (; text != end; ++text) {
                const ushort ch = text->unicode();
                if (ch >= 128 || digits[ch] < 0)
                    continue;
                // Only the low bits matter: each byte is taken as soon as eight are in.
                buffer = (buffer << 6) | uint(digits[ch]);
                bits += 6;
                if (bits >= 8) {
                    bits -= 8;
                    *out++ = characters[(buffer >> bits) & 0xff];
                }
            }
            written += int(out - start);
        }

        bool hasOverflowed() const { return overflowed; }

        /// The decoded text; empty, never null, when there was none.
        QString take()
        {
            if (decoded.isNull())
                return QLatin1String("");
            decoded.resize(written);
            return std::move(decoded);
        }

    private:
        QString decoded;
        int written = 0;
        uint buffer = 0;
        int bits = 0;
        bool overflowed = false;
    };

    const QString blankBanner
        = QStringLiteral("------------------                   ------------------");

}

XmlParser::XmlParser(QObject* parent)
    : QObject(parent)
{
}

XmlParser::~XmlParser() = default;

QMap<QString, QString> XmlParser::parse(const QByteArray& body)
{
    qCDebug(corvaneLog) << blankBanner;
    qCDebug(corvaneLog) << "------------------ START PARSING XML ------------------";
    qCDebug(corvaneLog) << blankBanner;

    header.clear();
    currentRow.clear();
    // Read through a device, the reader decodes the body a few kilobytes at a time; given the
    // bytes themselves, it would first decode them whole, twice their size in memory.
    QBuffer input;
    input.setData(body);
    input.open(QIODevice::ReadOnly);
    reader = std::make_unique<QXmlStreamReader>(&input);
    // Replies use no namespaces: no prefix to resolve on every element.
    reader->setNamespaceProcessing(false);

    while (!reader->atEnd()) {
        reader->readNext();
        if (reader->tokenType() == QXmlStreamReader::DTD) {
            // A declared entity could expand a small reply into gigabytes: such a reply is no
            // reply at all.
            qCWarning(corvaneLog) << "Refusing a reply that declares a document type";
            header.clear();
            break;
        }
        if (reader->isStartElement() && reader->name() == itemRes)
            readHeader();
        // A record reader may stop on the start of the next record; take it at once.
        while (reader->isStartElement() && reader->name() == itemDati && !reader->hasError())
            readRecord();
    }

    reader.reset();

    const QMap<QString, QString> result = header;
    qCDebug(corvaneLog) << "----------------- decodedReply (QMap) -----------------";
    for (auto it = result.cbegin(); it != result.cend(); ++it)
        qCDebug(corvaneLog) << "key" << it.key() << "value" << it.value();
    qCDebug(corvaneLog) << blankBanner;
    qCDebug(corvaneLog) << "------------------  END PARSING XML  ------------------";
    qCDebug(corvaneLog) << blankBanner;
    return result;
}

QList<DataRow> XmlParser::takeRows()
{
    QList<DataRow> taken;
    taken.swap(rows);
    return taken;
}

void XmlParser::readHeader()
{
    const QSet<QString>& known = knownHeaderFields();
    while (!reader->atEnd() && !reader->hasError()) {
        if (reader->isEndElement() && reader->name() == itemRes)
            return;
        if (reader->isStartElement() && known.contains(reader->name().toString())) {
            const QString name = reader->name().toString();
            reader->readNext();
            if (reader->isCharacters()) {
                const QString text = reader->text().toString();
                qCDebug(corvaneLog) << "token name:" << name << "token text:" << text;
                header.insert(name, text);
            } else {
                qCDebug(corvaneLog) << "Skipping XML token with name" << name
                                    << "because of no valid character content found";
            }
            continue;
        }
        reader->readNext();
    }
}

QString XmlParser::readEncodedText()
{
    // Same reading as QXmlStreamReader::readElementText, decoding each piece as it comes.
    Base64Decoder decoder;
    while (!reader->atEnd()) {
        switch (reader->readNext()) {
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference: {
            const QStringRef text = reader->text();
            decoder.feed(text.constData(), text.size());
            break;
        }
        case QXmlStreamReader::EndElement:
            if (decoder.hasOverflowed()) {
                reader->raiseError(QStringLiteral("Field too long."));
                return {};
            }
            return decoder.take();
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            break;
        case QXmlStreamReader::StartElement:
            reader->raiseError(QStringLiteral("Expected character data."));
            return {};
        default:
            if (reader->hasError())
                return {};
            break;
        }
    }
    return {};
}

void XmlParser::readRecord()
{
    // Values are gathered by field and the row is built in key order at the end: each key then
    // goes in at the end of the map, with one comparison instead of a walk down the tree.
    const QVector<QString>& fields = knownRecordFields();
    if (fieldValues.size() != fields.size())
        fieldValues.resize(fields.size());
    QVarLengthArray<int, 32> present;
    QString id;
    QString descr;
    while (true) {
        reader->readNext();
        if (reader->atEnd() || reader->hasError())
            break;
        if (reader->isEndElement())
            break;
        if (!reader->isStartElement())
            continue;
        const QStringRef name = reader->name();
        if (name == itemDati)
            break;
        if (name == idField) {
            id = readEncodedText();
        } else if (name == descrField) {
            descr = readEncodedText();
        } else if (const int field = knownRecordField(name); field >= 0) {
            // A field given twice keeps its last value, as an insert into the map would.
            fieldValues[field] = readEncodedText();
            present.append(field);
        } else {
            reader->skipCurrentElement();
        }
    }

    std::sort(present.begin(), present.end());
    // A record cut off by the end of the input or a reader error is incomplete: drop it.
    if (!reader->hasError()) {
        int previous = -1;
        for (const int field : present) {
            if (field != previous)
                currentRow.insert(currentRow.cend(), fields.at(field), fieldValues.at(field));
            previous = field;
        }
    }
    for (const int field : present)
        fieldValues[field] = QString();
    if (reader->hasError()) {
        currentRow.clear();
        return;
    }
    if (!id.isEmpty()) {
        // Single values carry the session and two-factor tokens: the log gets their size only.
        qCDebug(corvaneLog) << "token name:" << id << "token text length:" << descr.size();
        currentRow.insert(id, descr);
    }
    if (!currentRow.isEmpty()) {
        rows.append(currentRow);
        currentRow.clear();
    }
}

QString XmlParser::decodeBase64(const QString& text)
{
    Base64Decoder decoder;
    decoder.feed(text.constData(), text.size());
    return decoder.take();
}

QString XmlParser::encodeBase64(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

}
