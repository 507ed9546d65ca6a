#pragma once

#include <map>
#include <string>

namespace Corvane::Server {

/// The fields of an application/x-www-form-urlencoded body: "+" is a blank and %XX a byte,
/// values are kept as the UTF-8 bytes the client sent.
class FormData final {
public:
    FormData() = default;
    static FormData parse(const std::string& body);
    static std::string decodeComponent(const std::string& text);

    /// The field's value, or "" when it was not sent.
    std::string value(const std::string& name) const;
    bool contains(const std::string& name) const;
    /// Whether every name and value is UTF-8, as the client sends them.
    bool isValidUtf8() const;
    void set(const std::string& name, const std::string& value);

private:
    std::map<std::string, std::string> fields;
};

}
