#pragma once

#include <QString>

class QByteArray;

namespace Corvane {

/// The secret key of an authenticator QR code ("otpauth://totp/...?secret=..."), read back from
/// the SVG image the server sends, grouped by four characters ("ABCD EFGH ...") so that a user
/// who cannot scan the code can type it; empty when the image holds no such code.
QString readAuthenticatorSecret(const QByteArray& svg);

}
