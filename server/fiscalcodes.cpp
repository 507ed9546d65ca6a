#include "fiscalcodes.h"

#include <cctype>
#include <cstdio>

namespace Corvane::Server {

namespace {
    bool isVowel(char c) { return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U'; }

    std::string letters(const std::string& text)
    {
        std::string result;
        for (const char c : text) {
            if (std::isalpha(static_cast<unsigned char>(c)))
                result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return result;
    }

    std::string threeLetters(const std::string& text, bool forName)
    {
        std::string consonants;
        std::string vowels;
        for (const char c : letters(text))
            (isVowel(c) ? vowels : consonants) += c;
        if (forName && consonants.size() >= 4)
            consonants = std::string { consonants[0], consonants[2], consonants[3] };
        std::string result = consonants + vowels + "XXX";
        return result.substr(0, 3);
    }

    int oddValue(char c)
    {
        static const int values[] = { 1, 0, 5, 7, 9, 13, 15, 17, 19, 21, 2, 4, 18, 20, 11, 3, 6, 8,
            12, 14, 16, 10, 22, 25, 24, 23 };
        return std::isdigit(static_cast<unsigned char>(c)) ? values[c - '0'] : values[c - 'A'];
    }

    int evenValue(char c)
    {
        return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'A';
    }
}

std::string FiscalCodes::personal(const std::string& surname, const std::string& name, int year,
    int month, int day, bool female, const std::string& cadastralCode)
{
    static const char months[] = "ABCDEHLMPRST";
    char datePart[32];
    std::snprintf(datePart, sizeof datePart, "%02d%c%02d", year % 100, months[(month - 1) % 12],
        female ? day + 40 : day);
    std::string code
        = threeLetters(surname, false) + threeLetters(name, true) + datePart + cadastralCode;
    int sum = 0;
    for (size_t i = 0; i < code.size(); ++i)
        sum += (i % 2 == 0) ? oddValue(code[i]) : evenValue(code[i]);
    code += static_cast<char>('A' + sum % 26);
    return code;
}

std::string FiscalCodes::vatNumber(long serial, int office)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%07ld%03d", serial % 10000000L, office % 1000);
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
        int digit = digits[i] - '0';
        if (i % 2 == 1) {
            digit *= 2;
            if (digit > 9)
                digit -= 9;
        }
        sum += digit;
    }
    return std::string(digits, 10) + static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool FiscalCodes::isPersonalShape(const std::string& code)
{
    if (code.size() != 16)
        return false;
    for (const char c : code) {
        if (!std::isupper(static_cast<unsigned char>(c))
            && !std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

bool FiscalCodes::isVatShape(const std::string& code)
{
    if (code.size() != 11)
        return false;
    for (const char c : code) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

}
