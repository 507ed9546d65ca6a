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
