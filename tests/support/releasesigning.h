#pragma once

#include <QByteArray>
#include <QString>

namespace Corvane::Test {

/// The Ed25519 signature of data in Base64 with the demo's update-signing key (the private twin
/// of the client's built-in public key); empty on failure.
QString signRelease(const QByteArray& data);

}
