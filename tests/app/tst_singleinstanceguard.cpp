#include "app/singleinstanceguard.h"
#include "support/messageboxanswerer.h"

#include <QtTest>

#include <cstdio>

using Corvane::SingleInstanceGuard;
using Corvane::Test::MessageBoxAnswerer;
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

class TestSingleInstanceGuard final : public QObject {
    Q_OBJECT
private slots:
    void runningInstanceIsDetectedCrashedOneIsNot();
    void userMayStartASecondInstance_data();
    void userMayStartASecondInstance();
};

void TestSingleInstanceGuard::runningInstanceIsDetectedCrashedOneIsNot()
{
    // Guards against a second start going unnoticed, and against a crashed instance's segment
    // making every later start claim that Corvane is already running.
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // This executable as another instance that holds the guard until it is killed.
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), { "--hold", key });
    QVERIFY(holder.waitForStarted());
    QVERIFY(QTest::qWaitFor(
        [&holder] { return holder.canReadLine() || holder.waitForReadyRead(100); }, 10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

    SingleInstanceGuard second(key);
    QVERIFY(!second.tryAcquire());

    holder.kill(); // no clean-up: the way a crash leaves the segment
    QVERIFY(holder.waitForFinished());
    SingleInstanceGuard afterCrash(key);
    QVERIFY(afterCrash.tryAcquire());

    SingleInstanceGuard third(key);
    QVERIFY(!third.tryAcquire());
}

void TestSingleInstanceGuard::userMayStartASecondInstance_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("button");
    QTest::newRow("yes") << QMessageBox::Yes;
    QTest::newRow("no") << QMessageBox::No;
}

void TestSingleInstanceGuard::userMayStartASecondInstance()
{
    // Guards against the user being unable to open a second instance, or being forced to.
    QFETCH(QMessageBox::StandardButton, button);
    MessageBoxAnswerer answerer;
    answerer.expect(
        "Avvio di Corvane", "Corvane risulta già avviato. Vuoi aprire una nuova istanza?", button);
    QCOMPARE(SingleInstanceGuard::confirmNewInstance(), button == QMessageBox::Yes);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
}

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--hold") == 0) {
        QCoreApplication application(argc, argv);
        SingleInstanceGuard guard(QString::fromLatin1(argv[2]));
        std::puts(guard.tryAcquire() ? "held" : "refused");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(60);
    }
    QApplication application(argc, argv);
    TestSingleInstanceGuard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstanceguard.moc"
