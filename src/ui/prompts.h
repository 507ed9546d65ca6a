#pragma once

#include "network/networkmanager.h"

#include <QString>

/// The boxes the program shows from more than one place, each built here once.
namespace Corvane::Prompt {

/// An information box with an OK button over the active window.
void inform(const QString& title, const QString& text);

/// A reply failed the result check: shows the server's text and offers to close the program,
/// which ends with status 1 when the user accepts.
void askToCloseAfterServerError(const QString& message);

/// Tells the user why the program is about to end after a network failure.
void showNetworkError(NetworkManager::FatalError error, const QString& detail);

}
