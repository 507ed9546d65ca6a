#pragma once

#include <string>

namespace Corvane::Server {

/// The server's TLS set-up in DIR/tls: a private CA ("ca.pem") and a certificate for
/// localhost, 127.0.0.1 and ::1 signed by it, made with the openssl tool on first use.
class TlsMaterial final {
public:
    explicit TlsMaterial(const std::string& dataDirectory);

    /// Creates what is missing; false (with a message on standard error) when openssl fails.
    bool ensure() const;
    std::string getCaPath() const;
    std::string getCertificatePath() const;
    std::string getKeyPath() const;

private:
    std::string directory;
};

}
