#include "app/platform.h"
#include "support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace Corvane;

class TestPlatform final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startsDetachedWithParameterAndWorkingDirectory_data();
    void startsDetachedWithParameterAndWorkingDirectory();
    void missingProgramIsReported();
};

void TestPlatform::initTestCase() { Test::TestEnvironment::enterTemporaryWorkingDirectory(); }

void TestPlatform::startsDetachedWithParameterAndWorkingDirectory_data()
{
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("update run") << QStringLiteral("update") << QByteArray("1 update");
    QTest::newRow("plain start") << QString() << QByteArray("0 ");
}

void TestPlatform::startsDetachedWithParameterAndWorkingDirectory()
{
    // Guards against the updated program starting without its parameter or outside the
    // installation folder, where it would find none of its files.
    QFETCH(QString, parameter);
    QFETCH(QByteArray, expected);
    QFile::remove(QStringLiteral("started.txt"));
    QFile script(QStringLiteral("program.sh"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s %s\\n%s\\n' \"$#\" \"$1\" \"$(pwd)\" > started.tmp && mv "
                 "started.tmp started.txt\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QVERIFY(
        Platform::startProgram(QDir::current().filePath(QStringLiteral("program.sh")), parameter));
    QTRY_VERIFY(QFile::exists(QStringLiteral("started.txt")));
    QFile started(QStringLiteral("started.txt"));
    QVERIFY(started.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = started.readAll().split('\n');
    QCOMPARE(lines.value(0), expected);
    QCOMPARE(QDir(QString::fromLocal8Bit(lines.value(1))).canonicalPath(),
        QDir::current().canonicalPath());
}

void TestPlatform::missingProgramIsReported()
{
    // Guards against a failed start being taken for a running update.
    QVERIFY(!Platform::startProgram(
        QDir::current().filePath(QStringLiteral("assente.exe")), QStringLiteral("update")));
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
