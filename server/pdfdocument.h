#pragma once

#include <QString>
#include <QStringList>

#include <string>

namespace Corvane::Server {

/// A one-page PDF of plain text lines in Helvetica, enough for the position sheet.
class PdfDocument final {
public:
    static std::string render(const QString& title, const QStringList& lines);
};

}
