#include "ui/qrsecret.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>
#include <QUrlQuery>

#include <memory>
#include <zbar.h>

namespace Corvane {

namespace {
    /// Each module of the code drawn this many pixels wide at least, so that it reads reliably.
    constexpr int minimumSide = 400;

    /// The text of the first QR code in a grey image, or an empty text.
    QByteArray scan(const QImage& grey)
    {
        std::unique_ptr<zbar::zbar_image_scanner_t, void (*)(zbar::zbar_image_scanner_t*)> scanner(
            zbar::zbar_image_scanner_create(), zbar::zbar_image_scanner_destroy);
        zbar::zbar_image_scanner_set_config(
            scanner.get(), zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
        zbar::zbar_image_scanner_set_config(
            scanner.get(), zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
        std::unique_ptr<zbar::zbar_image_t, void (*)(zbar::zbar_image_t*)> image(
            zbar::zbar_image_create(), zbar::zbar_image_destroy);
        zbar::zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
        zbar::zbar_image_set_size(image.get(), grey.width(), grey.height());
        // The scanner only reads the pixels, which the image keeps while it runs.
        QByteArray pixels;
        pixels.reserve(grey.width() * grey.height());
        for (int y = 0; y < grey.height(); ++y)
            pixels.append(reinterpret_cast<const char*>(grey.constScanLine(y)), grey.width());
        zbar::zbar_image_set_data(image.get(), pixels.constData(), pixels.size(), nullptr);
        if (zbar::zbar_scan_image(scanner.get(), image.get()) <= 0)
            return {};
        const zbar::zbar_symbol_t* symbol = zbar::zbar_image_first_symbol(image.get());
        return symbol ? QByteArray(zbar::zbar_symbol_get_data(symbol),
                   int(zbar::zbar_symbol_get_data_length(symbol)))
                      : QByteArray();
    }
}

QString readAuthenticatorSecret(const QByteArray& svg)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QSize size = renderer.defaultSize();
    if (size.isEmpty())
        return {};
    size.scale(QSize(minimumSide, minimumSide).expandedTo(size), Qt::KeepAspectRatio);
    // A white margin around the code, as scanners expect.
    QImage picture(size + QSize(80, 80), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(QPointF(40, 40), size));
    painter.end();

    const QUrl uri(QString::fromUtf8(scan(picture.convertToFormat(QImage::Format_Grayscale8))));
    if (uri.scheme() != QLatin1String("otpauth"))
        return {};
    const QString secret = QUrlQuery(uri)
                               .queryItemValue(QStringLiteral("secret"))
                               .remove(QLatin1Char(' '))
                               .toUpper();
    QString grouped;
    for (int start = 0; start < secret.size(); start += 4) {
        if (start > 0)
            grouped += QLatin1Char(' ');
        grouped += secret.mid(start, 4);
    }
    return grouped;
}

}
