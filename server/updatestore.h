#pragma once

#include <string>

namespace Corvane::Server {

class Database;

/// The published client update: its version, the archive's MD5 and where the archive is kept.
class UpdateStore final {
public:
    static constexpr const char* defaultVersion = "5.2.0.0";
    /// The name the new executable has in the archive, which the client starts for its update run.
    static constexpr const char* defaultUpdateProgramName = "corvane-update";

    /// Writes a release archive at archivePath: the executable alone, at the top level, under
    /// programName, with its permissions.
    static bool packRelease(const std::string& executablePath, const std::string& programName,
        const std::string& archivePath, std::string& error);

    /// The key publish-update signs with unless told otherwise: DIR/tls/update-signing-key.pem.
    static std::string defaultSigningKeyPath(const std::string& dataDirectory);
    /// Writes the demo's Ed25519 signing key there unless a key is already in place; the client's
    /// default public key is its twin, so releases of the demo and the tests verify.
    static bool ensureSigningKey(const std::string& dataDirectory, std::string& error);

    UpdateStore(Database& db, const std::string& dataDirectory);

    /// Signs the archive with the Ed25519 key in the PEM file at signingKeyPath, copies it into
    /// DIR/updates and records it as the last version.
    bool publish(const std::string& version, const std::string& archivePath,
        const std::string& signingKeyPath, std::string& error);
    std::string getLastVersion() const;
    /// "" when nothing was published.
    std::string getArchiveMd5() const;
    /// The archive's Ed25519 signature in Base64; "" when nothing was published.
    std::string getArchiveSignature() const;
    /// The archive's bytes when version is the published one; false otherwise.
    bool readArchive(const std::string& version, std::string& bytes) const;

private:
    std::string setting(const char* key) const;

    Database& db;
    std::string dataDirectory;
};

}
