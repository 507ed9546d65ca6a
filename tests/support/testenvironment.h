#pragma once

#include <QString>

namespace Corvane::Test {

/// Where a test run keeps its generated material, and the common set-up of tests that touch files.
namespace TestEnvironment {
    /// The folder of the run's test CA and server certificates ("ca.pem", "localhost.pem", ...).
    QString pkiDirectory();
    /// The test CA, in the form "ServerURL/CaCertificates" takes.
    QString caCertificatesPath();
    /// Test-mode standard locations and a fresh temporary working directory for the process.
    void enterTemporaryWorkingDirectory();
    /// Whether QCoreApplication::quit or exit was called since the last check; clears it, since
    /// until the application loop has run every event loop (message boxes too) returns at once.
    bool takeQuitRequest();
}

}
