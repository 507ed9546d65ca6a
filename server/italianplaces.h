#pragma once

#include <vector>

namespace Corvane::Server {

/// The Italian provinces with their initials, and municipalities with postal and cadastral
/// codes: lookup data of the service and the places of the demo data.
class ItalianPlaces final {
public:
    struct Province {
        const char* code;
        const char* name;
    };
    struct Municipality {
        const char* province;
        const char* name;
        const char* cap;
        /// "" where the demo data does not need it.
        const char* cadastralCode;
    };

    static const std::vector<Province>& provinces();
    static const std::vector<Municipality>& municipalities();
};

}
