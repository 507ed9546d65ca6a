#pragma once

#include <mutex>
#include <string>

namespace Corvane::Server {

/// Where the mails the service would send end up: one text file each in DIR/outbox, and one
/// line on standard output that names recipient and subject but never the mail's secrets.
class Outbox final {
public:
    explicit Outbox(const std::string& directory);

    /// Returns the path of the written file.
    std::string send(const std::string& kind, const std::string& recipient,
        const std::string& subject, const std::string& body);

private:
    std::string directory;
    std::mutex mutex;
    int sequence = 0;
};

}
