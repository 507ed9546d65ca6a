#include "pdfdocument.h"

#include <QTextCodec>

#include <cstdio>
#include <vector>

namespace Corvane::Server {

namespace {
    // A PDF string literal in WinAnsi, so accented letters print.
    std::string literal(const QString& text)
    {
        static QTextCodec* const codec = QTextCodec::codecForName("Windows-1252");
        const QByteArray bytes = codec->fromUnicode(text);
        std::string result = "(";
        for (const char c : bytes) {
            if (c == '(' || c == ')' || c == '\\')
                result += '\\';
            result += c;
        }
        return result + ")";
    }
}

std::string PdfDocument::render(const QString& title, const QStringList& lines)
{
    std::string content = "BT /F1 16 Tf 50 790 Td " + literal(title) + " Tj ET\n";
    int y = 760;
    for (const QString& line : lines) {
        content += "BT /F1 10 Tf 50 " + std::to_string(y) + " Td " + literal(line) + " Tj ET\n";
        y -= 14;
        if (y < 40)
            break;
    }
    const std::vector<std::string> objects {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R "
        ">> >> /Contents 5 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
    };
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1)
        + " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

}
