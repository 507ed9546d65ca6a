#pragma once

#include "router.h"

#include <string>

namespace Corvane::Server {

/// The support-ticket verbs: the consortium's ticket list, one ticket's conversation, the
/// user's e-mail for notifications, and new tickets and messages sent as a "dati_t" document.
class TicketHandlers final : public VerbFamily {
public:
    /// A decoded "dati_t" document.
    struct TicketDocument {
        std::string ticketId;
        std::string subject;
        std::string text;
        std::string email;
    };

    using VerbFamily::VerbFamily;
    void registerWith(Router& router);

    /// Base64 of a UTF-8 XML document whose field values are Base64 of UTF-8 text; false when
    /// any layer is malformed.
    static bool parseDocument(const std::string& encoded, TicketDocument& document);

private:
    ServiceResponse list(const ServiceRequest& request, const Session& session);
    ServiceResponse detail(const ServiceRequest& request, const Session& session);
    ServiceResponse userEmail(const Session& session);
    ServiceResponse insert(const ServiceRequest& request, const Session& session);
};

}
