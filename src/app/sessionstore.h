#pragma once

#include <QMap>
#include <QString>

#include <functional>

class QObject;

namespace Corvane {

class Credential;

/// What outlives one run of the program: the session token files ("auth.txt", "twofa.txt") in the
/// per-user application-data folder, kept readable by their owner only, and the login credential
/// in the system keychain under the service "corvane". Holds no state of its own; the flow
/// manager decides when each is read, written or removed.
class SessionStore final {
public:
    static const QString authFile;
    static const QString twoFaFile;

    /// Reads a value of the keychain; empty on any failure, which is logged.
    static QString readKey(const QString& key);
    /// Stores a value in the keychain; a failure is logged.
    static void writeKey(const QString& key, const QString& value);
    /// Stores every entry under its own key.
    static void writeKeys(const QMap<QString, QString>& entries);
    /// The credential the keychain holds, built from its three entries (empty ones when absent).
    static Credential* readCredential();
    /// The same, without blocking: the three entries are read one after another while the event
    /// loop runs, and done gets the credential (owned by the caller) once all are in, unless
    /// context is gone by then.
    static void readCredentialLater(QObject* context, std::function<void(Credential*)> done);

    static QString filePath(const QString& name);
    /// Makes the folder of the session files, which only its owner may list or enter.
    static bool makeFolder();
    /// Writes the file, its folder and the file itself closed to other users from the start.
    static void writeFile(const QString& name, const QString& content);
    /// Removes the file; one that does not exist is no error.
    static void removeFile(const QString& name);
};

}
