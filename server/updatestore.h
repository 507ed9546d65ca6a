#pragma once

#include <string>

namespace Corvane::Server {

class Database;

/// The published client update: its version, the archive's MD5 and where the archive is kept.
class UpdateStore final {
public:
    static constexpr const char* defaultVersion = "5.2.0.0";

    UpdateStore(Database& db, const std::string& dataDirectory);

    /// Copies the archive into DIR/updates and records it as the last version.
    bool publish(const std::string& version, const std::string& archivePath, std::string& error);
    std::string getLastVersion() const;
    /// "" when nothing was published.
    std::string getArchiveMd5() const;
    /// The archive's bytes when version is the published one; false otherwise.
    bool readArchive(const std::string& version, std::string& bytes) const;

private:
    std::string setting(const char* key) const;

    Database& db;
    std::string dataDirectory;
};

}
