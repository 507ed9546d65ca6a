#pragma once

#include <string>

namespace Corvane::Server {

/// Renders text as a QR code in SVG, the image the client shows for two-factor activation.
class QrCodeSvg final {
public:
    /// "" when the text cannot be encoded.
    static std::string render(const std::string& text);
};

}
