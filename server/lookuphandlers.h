#pragma once

#include "router.h"

namespace Corvane::Server {

/// The lookup lists: the user's banks, position states, provinces and their initials,
/// address types, municipalities of a province and a municipality's postal code.
class LookupHandlers final : public VerbFamily {
public:
    using VerbFamily::VerbFamily;
    void registerWith(Router& router);

private:
    ServiceResponse banks(const Session& session);
    ServiceResponse states();
    ServiceResponse provinces(bool initialsOnly);
    ServiceResponse addressTypes();
    ServiceResponse municipalities(const ServiceRequest& request);
    ServiceResponse postalCode(const ServiceRequest& request);
};

}
