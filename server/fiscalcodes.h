#pragma once

#include <string>

namespace Corvane::Server {

/// Italian personal fiscal codes and VAT numbers: building valid ones for the demo data and
/// checking the shape of those a request carries.
class FiscalCodes final {
public:
    /// Sixteen characters with the check letter; month 1-12, day 1-31.
    static std::string personal(const std::string& surname, const std::string& name, int year,
        int month, int day, bool female, const std::string& cadastralCode);
    /// Eleven digits: seven of serial, three of office, one check digit.
    static std::string vatNumber(long serial, int office);

    static bool isPersonalShape(const std::string& code);
    static bool isVatShape(const std::string& code);
};

}
