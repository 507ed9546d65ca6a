#include "ui/dialogtest.h"

#include "app/resources.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "ui/loginwindow.h"

#include <QApplication>
#include <QFile>

namespace Corvane::Test {

namespace {
    const QString home = QStringLiteral("/corvane/v5/home/");
}

void DialogTest::initTestCase()
{
    initResources();
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    for (const char* command :
        { "init", "attivazione_codice", "prima_autenticazione_two_fa", "autenticazione_two_fa" })
        script(command, XmlParser::PEC_NOT_FOUND);
    script("cambio_password", XmlParser::OK);
}

void DialogTest::cleanup()
{
    QVERIFY(waitUntilIdle());
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* widget : windows)
        widget->hide();
}

void DialogTest::script(const char* command, int code, const Fields& fields, int delayMs)
{
    QList<DataRow> rows;
    for (const auto& field : fields)
        rows.append(idRecord(field.first, field.second));
    ScriptedReply reply;
    reply.body = resultReply(QString::number(code), rows);
    reply.delayMs = delayMs;
    server->setReply(home + QLatin1String(command), reply);
}

QMap<QString, QString> DialogTest::lastForm(const char* command) const
{
    const QList<RecordedRequest> requests = server->requests();
    for (auto it = requests.crbegin(); it != requests.crend(); ++it) {
        if (it->path == home + QLatin1String(command)) {
            QMap<QString, QString> form = it->form;
            for (const char* common : { "cmd", "vers", "XDEBUG_SESSION" })
                form.remove(QLatin1String(common));
            return form;
        }
    }
    return {};
}

bool DialogTest::waitUntilIdle()
{
    return QTest::qWaitFor([this] { return !application->getCommandManager()->isBusy(); }, 10000);
}

QString DialogTest::logText()
{
    QFile log(QStringLiteral("corvane2.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

void DialogTest::type(QWidget* widget, const QString& text)
{
    widget->setFocus();
    QTest::keyClicks(widget, text);
}

bool DialogTest::showModal(QDialog* dialog)
{
    dialog->setModal(true);
    dialog->show();
    return QTest::qWaitForWindowExposed(dialog);
}

void DialogTest::cancel(QDialog* dialog)
{
    click(dialog, "rejectButton");
    QVERIFY(!dialog->isVisible());
    QVERIFY(application->getLoginWindow()->isVisible());
    QVERIFY(!application->getCommandManager()->isBusy());
}

}
