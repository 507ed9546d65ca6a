#include "qrcodesvg.h"

#include <qrencode.h>

#include <memory>

namespace Corvane::Server {

std::string QrCodeSvg::render(const std::string& text)
{
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code)
        return {};
    const int quietZone = 4;
    const int scale = 6;
    const int size = (code->width + 2 * quietZone) * scale;
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\""
        + std::to_string(size) + "\" height=\"" + std::to_string(size) + "\" viewBox=\"0 0 "
        + std::to_string(size) + " " + std::to_string(size) + "\">\n"
        + "<rect x=\"0\" y=\"0\" width=\"" + std::to_string(size) + "\" height=\""
        + std::to_string(size) + "\" fill=\"#ffffff\"/>\n<path fill=\"#000000\" d=\"";
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1) {
                svg += 'M' + std::to_string((x + quietZone) * scale) + ','
                    + std::to_string((y + quietZone) * scale) + 'h' + std::to_string(scale) + 'v'
                    + std::to_string(scale) + 'h' + std::to_string(-scale) + 'z';
            }
        }
    }
    svg += "\"/>\n</svg>\n";
    return svg;
}

}
