// Requests per second and median latency of one company search page on the demo data (or the
// size given second), with 1 and with 8 concurrent clients, each on its own keep-alive HTTPS
// connection; before them, the time the server took to be seeded and to listen.
#include "serverprocess.h"
#include "serviceclient.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using namespace Corvane::Test;
using Clock = std::chrono::steady_clock;

namespace {
struct Result {
    double requestsPerSecond = 0;
    double medianMs = 0;
    int failures = 0;
    int requests = 0;
};

// Runs until the duration has passed or, when maxRequests > 0, that many searches are done.
Result measure(const ServerProcess& server, const QString& auth, const QString& twoFa, int clients,
    std::chrono::seconds duration, int maxRequests = 0)
{
    std::atomic<int> started { 0 };
    std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
    std::atomic<int> failures { 0 };
    std::vector<std::thread> threads;
    const Clock::time_point end = Clock::now() + duration;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            ServiceClient client(QStringLiteral("127.0.0.1"), server.getPort(), server.getCaPath());
            for (int i = 0; Clock::now() < end && (maxRequests == 0 || started++ < maxRequests);
                 ++i) {
                const QMap<QString, QString> fields { { QStringLiteral("start"),
                                                          QString::number((i + c) % 10) },
                    { QStringLiteral("ord"), QStringLiteral("ragsoc") },
                    { QStringLiteral("dir"), QStringLiteral("1") },
                    { QStringLiteral("search_li_ragsoc"), QString() },
                    { QStringLiteral("search_li_comune"), QString() },
                    { QStringLiteral("search_li_provincia"), QString() },
                    { QStringLiteral("search_li_picf"), QString() },
                    { QStringLiteral("vers"), QStringLiteral("5.2.0.0") } };
                const Clock::time_point start = Clock::now();
                const ServiceReply reply = client.post(
                    QStringLiteral("/corvane/v5/search/lista_imprese/03111"), fields, auth, twoFa);
                const double ms
                    = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                if (reply.resultCode() != QLatin1String("0") || reply.rows.size() != 20) {
                    if (failures++ == 0)
                        std::fprintf(stderr, "failed request: HTTP %d, %d rows: %s\n", reply.status,
                            static_cast<int>(reply.rows.size()), reply.body.left(300).constData());
                }
                latencies[static_cast<size_t>(c)].push_back(ms);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::vector<double> all;
    for (const auto& list : latencies)
        all.insert(all.end(), list.begin(), list.end());
    std::sort(all.begin(), all.end());
    Result result;
    result.requests = static_cast<int>(all.size());
    result.requestsPerSecond
        = static_cast<double>(all.size()) / static_cast<double>(duration.count());
    result.medianMs = all.empty() ? 0 : all[all.size() / 2];
    result.failures = failures;
    return result;
}
}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const QString size = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("demo");
    // TESSARO_SERVER measures another build of the server with the same driver.
    const QByteArray executable = qEnvironmentVariableIsSet("TESSARO_SERVER")
        ? qgetenv("TESSARO_SERVER")
        : QByteArray(TESSARO_SERVER_PATH);
    ServerProcess server(QString::fromLocal8Bit(executable));
    QString error;
    const Clock::time_point starting = Clock::now();
    if (!server.start(size, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("server seeded (--size %s) and listening after %.0f ms\n", qPrintable(size),
        std::chrono::duration<double, std::milli>(Clock::now() - starting).count());
    const QString user
        = server.getAccounts().value(QStringLiteral("ready, two-factor active, four banks"));
    ServiceClient client(QStringLiteral("127.0.0.1"), server.getPort(), server.getCaPath());
    const QString auth
        = client
              .post(QStringLiteral("/corvane/v5/home/login_account"),
                  { { QStringLiteral("cf_utente"), user },
                      { QStringLiteral("cf_confidi"), server.getConsortiumOf(user) },
                      { QStringLiteral("password"), QStringLiteral("Corvane.Demo.2024") } })
              .value(QStringLiteral("0"));
    const QString code
        = QString::fromLatin1(server.runTool({ QStringLiteral("totp"), user }).trimmed());
    const QString twoFa = client
                              .post(QStringLiteral("/corvane/v5/home/autenticazione_two_fa"),
                                  { { QStringLiteral("twofa_token"), code } }, auth)
                              .value(QStringLiteral("0"));
    if (auth.isEmpty() || twoFa.isEmpty()) {
        std::fprintf(stderr, "could not open a session\n");
        return 1;
    }
    std::printf("company search page (20 rows, sorted by name), %d s per run\n", seconds);
    int failures = 0;
    int searches = 0;
    for (const int clients : { 1, 8 }) {
        const Result result = measure(server, auth, twoFa, clients, std::chrono::seconds(seconds));
        std::printf("%d client%s: %.0f requests/s, median latency %.2f ms, %d failed\n", clients,
            clients == 1 ? " " : "s", result.requestsPerSecond, result.medianMs, result.failures);
        failures += result.failures;
        searches += result.requests;
    }
    const int target = 10000;
    if (searches < target) {
        const Result rest
            = measure(server, auth, twoFa, 8, std::chrono::seconds(600), target - searches);
        failures += rest.failures;
        searches += rest.requests;
    }
    std::printf("server resident memory after %d searches: %.1f MB\n", searches,
        static_cast<double>(server.getStatusKib("VmRSS")) / 1024.0);
    server.stop();
    return failures == 0 ? 0 : 1;
}
