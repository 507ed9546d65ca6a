#include "formdata.h"

#include "textformat.h"

namespace Corvane::Server {

namespace {
    int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }
}

std::string FormData::decodeComponent(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            result += ' ';
        } else if (c == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) {
                result += c;
                continue;
            }
            result += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            result += c;
        }
    }
    return result;
}

FormData FormData::parse(const std::string& body)
{
    FormData form;
    size_t begin = 0;
    while (begin <= body.size()) {
        size_t end = body.find('&', begin);
        if (end == std::string::npos)
            end = body.size();
        const std::string pair = body.substr(begin, end - begin);
        if (!pair.empty()) {
            const size_t equals = pair.find('=');
            const std::string name = decodeComponent(pair.substr(0, equals));
            const std::string value = equals == std::string::npos
                ? std::string()
                : decodeComponent(pair.substr(equals + 1));
            form.fields[name] = value;
        }
        begin = end + 1;
    }
    return form;
}

std::string FormData::value(const std::string& name) const
{
    const auto it = fields.find(name);
    return it == fields.end() ? std::string() : it->second;
}

bool FormData::contains(const std::string& name) const { return fields.count(name) != 0; }

bool FormData::isValidUtf8() const
{
    for (const auto& field : fields) {
        if (!TextFormat::isValidUtf8(field.first) || !TextFormat::isValidUtf8(field.second))
            return false;
    }
    return true;
}

void FormData::set(const std::string& name, const std::string& value) { fields[name] = value; }

}
