#include "accounthandlers.h"
#include "database.h"
#include "demodata.h"
#include "httpservice.h"
#include "lookuphandlers.h"
#include "outbox.h"
#include "router.h"
#include "searchhandlers.h"
#include "servercontext.h"
#include "tickethandlers.h"
#include "tlsmaterial.h"
#include "totp.h"
#include "updatestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <pthread.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Corvane::Server;

namespace {
int usage()
{
    std::fprintf(stderr,
        "usage: tessaro-server --data DIR seed [--size demo|large]\n"
        "       tessaro-server --data DIR serve [--listen HOST:PORT] [--plain-http] "
        "[--exit-with-parent]\n"
        "       tessaro-server --data DIR totp CF_UTENTE\n"
        "       tessaro-server --data DIR publish-update --version V --archive FILE.zip\n"
        "       tessaro-server --data DIR publish-update --version V --executable FILE [--name N]\n"
        "       (publish-update signs with DIR/tls/update-signing-key.pem or --signing-key "
        "FILE)\n");
    return 2;
}

// Value of "--name value" among the arguments, or fallback.
std::string option(
    const std::vector<std::string>& args, const std::string& name, const std::string& fallback = {})
{
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name)
            return args[i + 1];
    }
    return fallback;
}

// The data folder holds the token-signing key, the two-factor secrets, the TLS key and mails
// with passwords: only its owner may enter it, also when an older server created it.
bool closeDataDirectory(const std::string& dataDirectory)
{
    if (!QDir().mkpath(QString::fromStdString(dataDirectory))
        || chmod(dataDirectory.c_str(), S_IRWXU) != 0) {
        std::fprintf(stderr, "cannot create %s\n", dataDirectory.c_str());
        return false;
    }
    QDirIterator it(QString::fromStdString(dataDirectory), QDir::AllEntries | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray path = QFile::encodeName(it.next());
        chmod(path.constData(), it.fileInfo().isDir() ? S_IRWXU : S_IRUSR | S_IWUSR);
    }
    return true;
}

bool flag(const std::vector<std::string>& args, const std::string& name)
{
    for (const auto& arg : args) {
        if (arg == name)
            return true;
    }
    return false;
}

int seed(const std::string& dataDirectory, const std::string& size)
{
    if (size != "demo" && size != "large")
        return usage();
    const QString dir = QString::fromStdString(dataDirectory);
    if (!closeDataDirectory(dataDirectory))
        return 1;
    const QString database = QString::fromStdString(ServerContext::databasePath(dataDirectory));
    for (const QString& suffix : { QString(), QStringLiteral("-wal"), QStringLiteral("-shm") })
        QFile::remove(database + suffix);
    QDir(dir + QStringLiteral("/outbox")).removeRecursively();

    const TlsMaterial tls(dataDirectory);
    std::string error;
    if (!tls.ensure())
        return 1;
    if (!UpdateStore::ensureSigningKey(dataDirectory, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    Database db(database.toStdString());
    db.createSchema();
    Outbox outbox(dataDirectory + "/outbox");
    DemoData data(db, outbox, size == "large" ? DemoData::Size::Large : DemoData::Size::Demo);
    data.generate();

    std::printf("Seeded %s (%s data); TLS CA: %s\n\nDemo accounts (password for all: %s)\n",
        dataDirectory.c_str(), size.c_str(), tls.getCaPath().c_str(), DemoData::demoPassword);
    for (const auto& account : data.getAccounts()) {
        std::printf("  consortium %s  user %s  %s\n", account.consortiumFiscalCode.c_str(),
            account.userFiscalCode.c_str(), account.description.c_str());
    }
    std::printf("\nTwo-factor code: tessaro-server --data %s totp <user>\n", dataDirectory.c_str());
    return 0;
}

int serve(const std::string& dataDirectory, const std::string& listen, bool plainHttp,
    bool exitWithParent)
{
    const size_t colon = listen.rfind(':');
    if (colon == std::string::npos)
        return usage();
    std::string host = listen.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const int port = std::atoi(listen.c_str() + colon + 1);

    // Signals are taken by sigwait below, never by a handler in some worker thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // A test that dies must not leave its server running: the parent's end is a stop signal.
    if (exitWithParent) {
        const pid_t parent = getppid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            return 0;
    }

    if (!closeDataDirectory(dataDirectory))
        return 1;
    ServerContext context(dataDirectory);
    Router router;
    AccountHandlers accounts(context);
    LookupHandlers lookups(context);
    SearchHandlers searches(context);
    TicketHandlers tickets(context);
    accounts.registerWith(router);
    lookups.registerWith(router);
    searches.registerWith(router);
    tickets.registerWith(router);

    const TlsMaterial tls(dataDirectory);
    if (!plainHttp && !tls.ensure())
        return 1;
    HttpService service(
        context, router, plainHttp ? std::string() : tls.getCertificatePath(), tls.getKeyPath());
    if (!service.isValid()) {
        std::fprintf(stderr, "cannot load the TLS certificate and key\n");
        return 1;
    }
    const int boundPort = service.bind(host, port);
    if (boundPort < 0) {
        std::fprintf(stderr, "cannot listen on %s\n", listen.c_str());
        return 1;
    }
    std::printf("listening on %s://%s:%d\n", plainHttp ? "http" : "https",
        host.find(':') != std::string::npos ? ("[" + host + "]").c_str() : host.c_str(), boundPort);
    std::fflush(stdout);

    std::thread worker([&service] { service.run(); });
    int received = 0;
    sigwait(&stopSignals, &received);
    std::printf("stopping on signal %d\n", received);
    std::fflush(stdout);
    service.stop();
    worker.join();
    return 0;
}

int printTotp(const std::string& dataDirectory, std::string userCode)
{
    for (char& c : userCode)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Database db(ServerContext::databasePath(dataDirectory));
    Statement user = db.prepare("SELECT totp_secret, totp_last_step FROM users WHERE fiscal_code = "
                                "? AND totp_secret IS NOT NULL ORDER BY id");
    user.bind(1, userCode);
    if (!user.step()) {
        std::fprintf(stderr, "no two-factor secret for %s\n", userCode.c_str());
        return 1;
    }
    // The server takes each code once, accepting the next step's early: print the first code it
    // will still take, waiting when even that one is not due yet.
    const std::int64_t lastStep = user.isNull(1) ? -1 : user.integer(1);
    std::int64_t now = ServerContext::now();
    if (lastStep >= now / 30 + 1) {
        std::this_thread::sleep_for(std::chrono::seconds(lastStep * 30 - now + 1));
        now = ServerContext::now();
    }
    const std::int64_t step = std::max(now / 30, lastStep + 1);
    std::printf("%s\n", Totp::code(user.text(0), step * 30).c_str());
    return 0;
}

// Publishes a ready archive, or packs one from a new executable under the update program's name.
int publishUpdate(const std::string& dataDirectory, const std::vector<std::string>& args)
{
    const std::string version = option(args, "--version");
    std::string archive = option(args, "--archive");
    const std::string executable = option(args, "--executable");
    if (version.empty() || archive.empty() == executable.empty())
        return usage();
    std::string error;
    QTemporaryDir packing;
    if (!executable.empty()) {
        archive = packing.filePath(QStringLiteral("release.zip")).toStdString();
        if (!UpdateStore::packRelease(executable,
                option(args, "--name", UpdateStore::defaultUpdateProgramName), archive, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    Database db(ServerContext::databasePath(dataDirectory));
    UpdateStore updates(db, dataDirectory);
    std::string signingKey = option(args, "--signing-key");
    // A data folder seeded before releases were signed gets the demo key now.
    if (signingKey.empty()) {
        if (!UpdateStore::ensureSigningKey(dataDirectory, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        signingKey = UpdateStore::defaultSigningKeyPath(dataDirectory);
    }
    if (!updates.publish(version, archive, signingKey, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf(
        "published version %s (md5 %s)\n", version.c_str(), updates.getArchiveMd5().c_str());
    return 0;
}
}

int main(int argc, char* argv[])
{
    // Everything the server writes (database, outbox, TLS material) is for its owner only.
    umask(S_IRWXG | S_IRWXO);
    QCoreApplication application(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string dataDirectory = option(args, "--data");
    if (dataDirectory.empty() || args.size() < 3 || args[0] != "--data")
        return usage();
    const std::string& command = args[2];
    const std::vector<std::string> rest(args.begin() + 3, args.end());
    try {
        if (command == "seed")
            return seed(dataDirectory, option(rest, "--size", "demo"));
        if (command == "serve")
            return serve(dataDirectory, option(rest, "--listen", "127.0.0.1:8443"),
                flag(rest, "--plain-http"), flag(rest, "--exit-with-parent"));
        if (command == "totp" && rest.size() == 1)
            return printTotp(dataDirectory, rest[0]);
        if (command == "publish-update")
            return publishUpdate(dataDirectory, rest);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessaro-server: %s\n", error.what());
        return 1;
    }
    return usage();
}
