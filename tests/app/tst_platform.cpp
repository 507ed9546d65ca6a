#include "app/platform.h"
#include "support/testenvironment.h"

#include <QtTest>

using namespace Corvane;

class TestPlatform final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Test::TestEnvironment::enterTemporaryWorkingDirectory(); }
    void startsDetachedWithParameterAndWorkingDirectory_data();
    void startsDetachedWithParameterAndWorkingDirectory();
};

void TestPlatform::startsDetachedWithParameterAndWorkingDirectory_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("update run") << "program.sh"
                                << "update" << QByteArray("1 update");
    QTest::newRow("plain start") << "program.sh" << QString() << QByteArray("0 ");
    QTest::newRow("missing program") << "assente.exe"
                                     << "update" << QByteArray();
}

void TestPlatform::startsDetachedWithParameterAndWorkingDirectory()
{
    // Guards against the updated program starting without its parameter or outside the
    // installation folder, where it would find none of its files, and against a failed start
    // taken for a running update.
    QFETCH(QString, program);
    QFETCH(QString, parameter);
    QFETCH(QByteArray, expected);
    QFile::remove("started.txt");
    QFile script("program.sh");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s %s\\n%s\\n' \"$#\" \"$1\" \"$(pwd)\" > started.tmp && mv "
                 "started.tmp started.txt\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(
        Platform::startProgram(QDir::current().filePath(program), parameter), !expected.isEmpty());
    if (expected.isEmpty())
        return;
    QTRY_VERIFY(QFile::exists("started.txt"));
    QFile started("started.txt");
    QVERIFY(started.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = started.readAll().split('\n');
    QCOMPARE(lines.value(0), expected);
    QCOMPARE(QDir(QString::fromLocal8Bit(lines.value(1))).canonicalPath(),
        QDir::current().canonicalPath());
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
