#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSettings;

namespace Corvane {

/// Developer and deployment settings read once from "config.ini" in the working directory:
/// the server base URL, the debug switch and the extra CA certificates to trust.
/// One instance, created by the entry point and never written back.
class DevConfig final : public QObject {
    Q_OBJECT
public:
    explicit DevConfig(QObject* parent = nullptr);
    ~DevConfig() override;

    QString getServerUrl() const { return serverUrl; }
    bool isDebugEnabled() const { return debugEnabled; }
    /// Path of a PEM file whose certificates are trusted beside the system roots; empty for none.
    QString getCaCertificatesPath() const { return caCertificatesPath; }

private:
    void load();

    QString serverUrl;
    bool debugEnabled = false;
    QString caCertificatesPath;
    std::unique_ptr<QSettings> settings;
};

}
