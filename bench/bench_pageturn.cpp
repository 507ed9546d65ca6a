// Page turns of the four lists against a tessaro-server seeded with the large data: from the
// "Successiva" click to the model reset of the next page, beside the server's own time for the
// same request and a bare HTTPS POST of the same form from this process, without decoding.

#include "app/applicationmanager.h"
#include "app/resources.h"
#include "commands/search/company.h"
#include "commands/search/position.h"
#include "commands/search/report.h"
#include "commands/ticket.h"
#include "e2esession.h"
#include "models/company.h"
#include "models/position.h"
#include "models/report.h"
#include "models/searchfilters.h"
#include "models/ticket.h"
#include "paintwatch.h"
#include "protocol/commandrequestmanager.h"
#include "serverprocess.h"
#include "support/testenvironment.h"
#include "ui/abstracttablewindow.h"
#include "ui/companywindow.h"
#include "ui/mainwindow.h"
#include "ui/paginator.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QStatusBar>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <type_traits>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;
using Corvane::Bench::monotonicNanoseconds;

namespace {

constexpr int pages = 50;

double percentile(QVector<double> values, double fraction)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int at = qBound(0, int(fraction * double(values.size() - 1) + 0.5), values.size() - 1);
    return values.at(at);
}

/// One list as the benchmark drives it.
struct List {
    const char* action;
    std::function<AbstractTableWindow*(ApplicationManager*)> window;
    std::function<Model::AbstractPaginatedTable*(ApplicationManager*)> model;
    /// The command the model sends for the page its paginator is on, never executed: its form
    /// is what the bare POST sends.
    std::function<std::unique_ptr<Interface::CommandInterface>(Model::AbstractPaginatedTable*)>
        probe;
};

template <typename Command, typename ModelType>
std::unique_ptr<Interface::CommandInterface> probeOf(Model::AbstractPaginatedTable* model)
{
    if constexpr (std::is_constructible_v<Command, ModelType*, const SearchFilters&, int>)
        return std::make_unique<Command>(
            static_cast<ModelType*>(model), model->getSearchFilters(), model->getPages().start);
    else
        return std::make_unique<Command>(static_cast<ModelType*>(model), model->getSearchFilters());
}

/// The milliseconds of the server's log lines for path, in order.
QVector<double> serverTimes(const QByteArray& log, const QString& path)
{
    QVector<double> times;
    const QRegularExpression line(QStringLiteral("^POST %1(?:/\\S*)? \\S+ ([0-9.]+)ms$")
                                      .arg(QRegularExpression::escape(path)),
        QRegularExpression::MultilineOption);
    auto matches = line.globalMatch(QString::fromUtf8(log));
    while (matches.hasNext())
        times.append(matches.next().captured(1).toDouble());
    return times;
}

}

class BenchPageTurn final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pageTurns_data();
    void pageTurns();
    void cleanupTestCase();

private:
    /// Posts the probe's form as the client would, with the session's tokens, and waits for the
    /// whole body; the milliseconds, or -1 on a failure.
    double barePost(const Interface::CommandInterface& probe);

    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<E2eSession> session;
    QNetworkAccessManager bare;
    QStringList summary;
};

void BenchPageTurn::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    TestEnvironment::enterTemporaryWorkingDirectory();
    // As startDemoServer does, with the large data.
    initResources();
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    QString error;
    server = std::make_unique<ServerProcess>(QStringLiteral(TESSARO_SERVER_PATH));
    QVERIFY2(server->start(QStringLiteral("large"), error), qPrintable(error));
    session = std::make_unique<E2eSession>(server.get());
    QVERIFY(session->signInReadyUser());
}

double BenchPageTurn::barePost(const Interface::CommandInterface& probe)
{
    QMap<QString, QString> parameters = probe.getParameters();
    parameters.insert(QStringLiteral("cmd"), probe.getPath());
    parameters.insert(QStringLiteral("vers"), QCoreApplication::applicationVersion());
    QUrlQuery form;
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
        form.addQueryItem(it.key(), it.value());
    const QString abi = session->application()->getBank().section(QLatin1Char('-'), 0, 0).trimmed();
    QNetworkRequest request(QUrl(QStringLiteral("https://localhost:%1%2/%3")
                                     .arg(server->getPort())
                                     .arg(probe.getPath(), abi)));
    request.setHeader(
        QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("auth", readAll(sessionFile(QStringLiteral("auth.txt"))));
    request.setRawHeader("twoFa", readAll(sessionFile(QStringLiteral("twofa.txt"))));
    const QByteArray body = CommandRequestManager::encodeForm(form);

    const qint64 started = monotonicNanoseconds();
    QNetworkReply* reply = bare.post(request, body);
    if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 20000))
        return -1;
    const QByteArray answer = reply->readAll();
    const qint64 ended = monotonicNanoseconds();
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError || !answer.contains("item_dati"))
        return -1;
    return double(ended - started) / 1e6;
}

void BenchPageTurn::pageTurns_data()
{
    QTest::addColumn<int>("list");
    QTest::newRow("imprese") << 0;
    QTest::newRow("posizioni") << 1;
    QTest::newRow("report") << 2;
    QTest::newRow("ticket") << 3;
}

void BenchPageTurn::pageTurns()
{
    QFETCH(int, list);
    const List lists[] = {
        { "actionImprese", [](ApplicationManager* a) { return a->getCompanyWindow(); },
            [](ApplicationManager* a) { return a->getCompanyModel(); },
            probeOf<Command::Search::Company, Model::Company> },
        { "actionPosizioni", [](ApplicationManager* a) { return a->getPositionWindow(); },
            [](ApplicationManager* a) { return a->getPositionModel(); },
            probeOf<Command::Search::Position, Model::Position> },
        { "actionReport", [](ApplicationManager* a) { return a->getReportWindow(); },
            [](ApplicationManager* a) { return a->getReportModel(); },
            probeOf<Command::Search::Report, Model::Report> },
        { "actionVisualizza_Ticket", [](ApplicationManager* a) { return a->getTicketWindow(); },
            [](ApplicationManager* a) { return a->getTicketModel(); },
            probeOf<Command::Ticket, Model::Ticket> },
    };
    const List& under = lists[list];
    ApplicationManager* application = session->application();
    auto* action = application->getMainWindow()->findChild<QAction*>(under.action);
    QVERIFY(action);
    action->trigger();
    AbstractTableWindow* window = under.window(application);
    Model::AbstractPaginatedTable* model = under.model(application);
    QTRY_VERIFY(window->isVisible());
    // Every record, not the last weeks only.
    if (auto* dates = child<QCheckBox>(window, "dateFilterEnabled"))
        dates->setChecked(false);
    // A list that searches as it opens answers first.
    QTest::qWait(500);
    window->getStatusBar()->clearMessage();
    click(window, "searchButton");
    QTRY_VERIFY_WITH_TIMEOUT(shownCount(window) >= 0, 20000);
    auto* paginator = window->findChild<Paginator*>();
    const Model::Pages& pageCounters = model->getPages();
    if (pageCounters.total < 2) {
        summary.append(QStringLiteral("%1: a single page (%2 records), no page to turn")
                           .arg(QString::fromLatin1(QTest::currentDataTag()))
                           .arg(model->getTotalResults()));
        window->close();
        QSKIP("The list has a single page");
    }

    qint64 lastReset = 0;
    const QMetaObject::Connection resets
        = connect(model, &QAbstractItemModel::modelReset, [&lastReset, model] {
              if (model->rowCount() > 0)
                  lastReset = monotonicNanoseconds();
          });
    const QString path = under.probe(model)->getPath();
    const int logged = serverTimes(server->getOutput(), path).size();
    QVector<double> client;
    QVector<double> bareTimes;
    // Whether each request of the list in the log is a timed page turn of the client.
    QVector<bool> timed;
    for (int page = 0; page < pages; ++page) {
        if (pageCounters.current >= pageCounters.total) {
            // Back to the start, outside the figures.
            click(paginator, "firstPage");
            QTRY_VERIFY_WITH_TIMEOUT(pageCounters.current == 1, 20000);
            timed.append(false);
        }
        const int next = pageCounters.current + 1;
        lastReset = 0;
        const qint64 clicked = monotonicNanoseconds();
        click(paginator, "nextPage");
        QTRY_VERIFY_WITH_TIMEOUT(pageCounters.current == next && lastReset != 0, 20000);
        client.append(double(lastReset - clicked) / 1e6);
        timed.append(true);
        const double posted = barePost(*under.probe(model));
        QVERIFY(posted >= 0);
        bareTimes.append(posted);
        timed.append(false);
    }
    disconnect(resets);
    window->close();

    // The server logs a request once it has answered it: wait for the last lines.
    QVector<double> serverAll;
    QTRY_VERIFY_WITH_TIMEOUT(
        (serverAll = serverTimes(server->getOutput(), path)).size() >= logged + timed.size(), 5000);
    QVector<double> serverClient;
    for (int i = 0; i < timed.size(); ++i) {
        if (timed.at(i))
            serverClient.append(serverAll.at(logged + i));
    }

    const double clientMedian = percentile(client, 0.5);
    const double bareMedian = percentile(bareTimes, 0.5);
    const QString line
        = QStringLiteral("%1: client median %2 ms, p95 %3 ms | bare POST median %4 ms, p95 %5 ms | "
                         "server median %6 ms, p95 %7 ms | client / bare %8 (target: at most 1.5)")
              .arg(QString::fromLatin1(QTest::currentDataTag()))
              .arg(clientMedian, 0, 'f', 1)
              .arg(percentile(client, 0.95), 0, 'f', 1)
              .arg(bareMedian, 0, 'f', 1)
              .arg(percentile(bareTimes, 0.95), 0, 'f', 1)
              .arg(percentile(serverClient, 0.5), 0, 'f', 1)
              .arg(percentile(serverClient, 0.95), 0, 'f', 1)
              .arg(clientMedian / bareMedian, 0, 'f', 2);
    summary.append(line);
}

void BenchPageTurn::cleanupTestCase()
{
    session.reset();
    if (server)
        server->stop();
    qInfo("%d page turns per list, large data", pages);
    for (const QString& line : summary)
        qInfo("%s", qPrintable(line));
}

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BenchPageTurn bench;
    return QTest::qExec(&bench, argc, argv);
}
#include "bench_pageturn.moc"
