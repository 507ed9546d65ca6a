#include "ui/qrsecret.h"

#include "core/logging.h"

#include <QByteArray>
#include <QImage>
#include <QLibrary>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>
#include <QUrlQuery>

#include <memory>
#include <type_traits>
#include <zbar.h>

namespace Corvane {

namespace {
    /// Each module of the code drawn this many pixels wide at least, so that it reads reliably.
    constexpr int minimumSide = 400;

    /// The reader of bar codes, loaded the first time a QR code is read: the program starts
    /// without it and the libraries it pulls in.
    struct Zbar {
        decltype(&zbar::zbar_image_scanner_create) scannerCreate = nullptr;
        decltype(&zbar::zbar_image_scanner_destroy) scannerDestroy = nullptr;
        decltype(&zbar::zbar_image_scanner_set_config) scannerSetConfig = nullptr;
        decltype(&zbar::zbar_image_create) imageCreate = nullptr;
        decltype(&zbar::zbar_image_destroy) imageDestroy = nullptr;
        decltype(&zbar::zbar_image_set_format) imageSetFormat = nullptr;
        decltype(&zbar::zbar_image_set_size) imageSetSize = nullptr;
        decltype(&zbar::zbar_image_set_data) imageSetData = nullptr;
        decltype(&zbar::zbar_scan_image) scanImage = nullptr;
        decltype(&zbar::zbar_image_first_symbol) firstSymbol = nullptr;
        decltype(&zbar::zbar_symbol_get_data) symbolData = nullptr;
        decltype(&zbar::zbar_symbol_get_data_length) symbolDataLength = nullptr;

        /// The loaded library's entry points, or null when it or one of them is missing.
        static const Zbar* get()
        {
            static const std::unique_ptr<const Zbar> loaded = load();
            return loaded.get();
        }

    private:
        static std::unique_ptr<const Zbar> load()
        {
            // Kept loaded until the process ends.
            QLibrary library(QStringLiteral("zbar"), 0);
            if (!library.load()) {
                qCWarning(corvaneLog) << "Cannot load the QR code reader:" << library.errorString();
                return nullptr;
            }
            auto zbar = std::make_unique<Zbar>();
            bool complete = true;
            const auto resolve = [&library, &complete](auto& entry, const char* name) {
                entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
                    library.resolve(name));
                complete = complete && entry;
            };
            resolve(zbar->scannerCreate, "zbar_image_scanner_create");
            resolve(zbar->scannerDestroy, "zbar_image_scanner_destroy");
            resolve(zbar->scannerSetConfig, "zbar_image_scanner_set_config");
            resolve(zbar->imageCreate, "zbar_image_create");
            resolve(zbar->imageDestroy, "zbar_image_destroy");
            resolve(zbar->imageSetFormat, "zbar_image_set_format");
            resolve(zbar->imageSetSize, "zbar_image_set_size");
            resolve(zbar->imageSetData, "zbar_image_set_data");
            resolve(zbar->scanImage, "zbar_scan_image");
            resolve(zbar->firstSymbol, "zbar_image_first_symbol");
            resolve(zbar->symbolData, "zbar_symbol_get_data");
            resolve(zbar->symbolDataLength, "zbar_symbol_get_data_length");
            if (!complete) {
                qCWarning(corvaneLog) << "The QR code reader lacks an entry point";
                return nullptr;
            }
            return zbar;
        }
    };

    /// The text of the first QR code in a grey image, or an empty text.
    QByteArray scan(const QImage& grey)
    {
        const Zbar* z = Zbar::get();
        if (!z)
            return {};
        std::unique_ptr<zbar::zbar_image_scanner_t, void (*)(zbar::zbar_image_scanner_t*)> scanner(
            z->scannerCreate(), z->scannerDestroy);
        z->scannerSetConfig(scanner.get(), zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
        z->scannerSetConfig(scanner.get(), zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
        std::unique_ptr<zbar::zbar_image_t, void (*)(zbar::zbar_image_t*)> image(
            z->imageCreate(), z->imageDestroy);
        z->imageSetFormat(image.get(), zbar_fourcc('Y', '8', '0', '0'));
        z->imageSetSize(image.get(), grey.width(), grey.height());
        // The scanner only reads the pixels, which the image keeps while it runs.
        QByteArray pixels;
        pixels.reserve(grey.width() * grey.height());
        for (int y = 0; y < grey.height(); ++y)
            pixels.append(reinterpret_cast<const char*>(grey.constScanLine(y)), grey.width());
        z->imageSetData(image.get(), pixels.constData(), pixels.size(), nullptr);
        if (z->scanImage(scanner.get(), image.get()) <= 0)
            return {};
        const zbar::zbar_symbol_t* symbol = z->firstSymbol(image.get());
        return symbol ? QByteArray(z->symbolData(symbol), int(z->symbolDataLength(symbol)))
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
