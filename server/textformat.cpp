#include "textformat.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

namespace Corvane::Server {

QString TextFormat::fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QString TextFormat::italianDate(const std::string& isoDate)
{
    const QDate date = QDate::fromString(fromUtf8(isoDate.substr(0, 10)), Qt::ISODate);
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString TextFormat::italianDateTime(const std::string& isoDateTime)
{
    const QDateTime dateTime = QDateTime::fromString(fromUtf8(isoDateTime), Qt::ISODate);
    return dateTime.isValid() ? dateTime.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                              : QString();
}

std::string TextFormat::isoFromItalian(const std::string& italianDate)
{
    const QDate date
        = QDate::fromString(fromUtf8(trimmed(italianDate)), QStringLiteral("dd/MM/yyyy"));
    return date.isValid() ? date.toString(Qt::ISODate).toStdString() : std::string();
}

QString TextFormat::amount(std::int64_t cents)
{
    static const QLocale italian(QLocale::Italian, QLocale::Italy);
    return italian.toString(static_cast<double>(cents) / 100.0, 'f', 2);
}

std::string TextFormat::containsPattern(const std::string& text)
{
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    pattern += '%';
    return pattern;
}

std::string TextFormat::trimmed(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    const size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

bool TextFormat::isValidUtf8(const std::string& text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        std::uint32_t value = 0;
        if (lead >= 0xc2 && lead <= 0xdf) {
            extra = 1;
            value = lead & 0x1f;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            extra = 2;
            value = lead & 0x0f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            extra = 3;
            value = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= static_cast<size_t>(extra))
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next & 0xc0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3f);
        }
        const std::uint32_t smallest = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (value < smallest || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
            return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

}
