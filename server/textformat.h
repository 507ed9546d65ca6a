#pragma once

#include <QString>

#include <cstdint>
#include <string>

namespace Corvane::Server {

/// Conversions between what the database stores (UTF-8, ISO dates, cents) and what the client
/// shows (Italian dates and amounts).
class TextFormat final {
public:
    static QString fromUtf8(const std::string& text);
    /// "2024-03-05" → "05/03/2024"; "" stays "".
    static QString italianDate(const std::string& isoDate);
    /// "2024-03-05T14:30:00" → "05/03/2024 14:30:00".
    static QString italianDateTime(const std::string& isoDateTime);
    /// "05/03/2024" → "2024-03-05"; "" when the text is not such a date.
    static std::string isoFromItalian(const std::string& italianDate);
    /// 123456789 → "1.234.567,89".
    static QString amount(std::int64_t cents);
    /// A LIKE pattern matching text anywhere, with the LIKE wildcards escaped by '\'.
    static std::string containsPattern(const std::string& text);
    static std::string trimmed(const std::string& text);
    /// Strict UTF-8: no stray continuation bytes, overlong forms, surrogates or values above
    /// U+10FFFF.
    static bool isValidUtf8(const std::string& text);
};

}
