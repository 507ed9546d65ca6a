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

}
