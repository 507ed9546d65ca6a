#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/noabicommandinterface.h"

namespace Corvane::Command {

/// The tags of a command's family, one base class each: a "home" command sends no bank code;
/// one of a signed-in session carries the client version and its reply passes the session check;
/// a "search" command sends the bank code.
class NoTags { };
class HomeTags : public Interface::NoAbiCommandInterface { };
class SessionTags : public Interface::AuthenticatedCommandInterface,
                    public Interface::NoAbiCommandInterface { };
class BankTags : public Interface::AuthenticatedCommandInterface { };

}
