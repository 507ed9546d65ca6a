#include "ui/dialogtest.h"

#include "app/account.h"
#include "app/applicationmanager.h"
#include "app/credential.h"
#include "app/resources.h"
#include "protocol/commandmanager.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace Corvane::Test {

void DialogTest::setUpDialogTest()
{
    initResources();
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
}

void DialogTest::tearDownDialogTest()
{
    application = nullptr;
    client.reset();
    server.reset();
}

QByteArray DialogTest::replyWithCode(int code, const QList<QPair<QString, QString>>& recordFields)
{
    QList<DataRow> rows;
    for (const auto& field : recordFields)
        rows.append(idRecord(field.first, field.second));
    return resultReply(QString::number(code), rows);
}

void DialogTest::storeCredential(
    const QString& cfUtente, const QString& cfConfidi, const QString& password)
{
    application->getAccount()->setCredential(new Credential(cfUtente, cfConfidi, password));
}

bool DialogTest::waitUntilIdle()
{
    return QTest::qWaitFor([this] { return !application->getCommandManager()->isBusy(); }, 10000);
}

void DialogTest::finishTest()
{
    QVERIFY(waitUntilIdle());
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* widget : windows)
        widget->hide();
}

QMap<QString, QString> DialogTest::lastForm(const QString& path) const
{
    const QList<RecordedRequest> requests = server->requests();
    for (auto it = requests.crbegin(); it != requests.crend(); ++it) {
        if (it->path != path)
            continue;
        QMap<QString, QString> form = it->form;
        form.remove(QStringLiteral("cmd"));
        form.remove(QStringLiteral("vers"));
        form.remove(QStringLiteral("XDEBUG_SESSION"));
        return form;
    }
    return {};
}

int DialogTest::requestsTo(const QString& path) const
{
    const QList<RecordedRequest> requests = server->requests();
    return static_cast<int>(std::count_if(requests.cbegin(), requests.cend(),
        [&path](const RecordedRequest& request) { return request.path == path; }));
}

void DialogTest::type(QWidget* widget, const QString& text)
{
    widget->setFocus();
    for (const QChar character : text) {
        // QTest maps only ASCII to keys; other characters arrive as text, as from an input method.
        if (character.unicode() < 0x80)
            QTest::keyClick(widget, character.toLatin1());
        else
            QTest::sendKeyEvent(
                QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
}

}
