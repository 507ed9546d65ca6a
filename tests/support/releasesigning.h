#pragma once

#include <QByteArray>
#include <QString>

namespace Corvane::Test {

/// The demo's update-signing key (the private twin of the client's built-in public key).
QString demoSigningKeyPath();

/// The Ed25519 signature of data in Base64 with the PEM private key at keyPath; empty on failure.
QString signRelease(const QByteArray& data, const QString& keyPath = demoSigningKeyPath());

}
