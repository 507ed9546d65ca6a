#include "app/startup.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Corvane;

namespace {

/// While it lives, a folder without write permission is read-only to a test run as root too.
class WithoutWriteOverride final {
public:
    WithoutWriteOverride()
    {
        if (syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct narrowed[2] = { saved[0], saved[1] };
        narrowed[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        active = syscall(SYS_capset, &header, narrowed) == 0;
    }
    ~WithoutWriteOverride()
    {
        if (active)
            syscall(SYS_capset, &header, saved);
    }

private:
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct saved[2] {};
    bool active = false;
};

}

class TestStartup final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Test::TestEnvironment::enterTemporaryWorkingDirectory();
        QCoreApplication::setApplicationName("Corvane");
    }
    void workingFolder_data();
    void workingFolder();
};

void TestStartup::workingFolder_data()
{
    QTest::addColumn<bool>("installed");
    QTest::newRow("portable, folder writable") << false;
    QTest::newRow("installed, folder read-only") << true;
}

void TestStartup::workingFolder()
{
    // Guards against an installed program scattering config.ini and its log over the folder it
    // was started from, a portable one leaving its folder, or a user folder others may enter.
    QFETCH(bool, installed);
    const QString started = QDir::currentPath();
    QTemporaryDir program;
    QVERIFY(program.isValid());
    if (installed)
        QVERIFY(QFile::setPermissions(program.path(),
            QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                | QFileDevice::ExeOther));

    QString folder;
    {
        WithoutWriteOverride asUser;
        folder = settleWorkingFolder(program.path());
    }
    QCOMPARE(folder, QDir::currentPath());
    QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList());
    if (!installed) {
        QCOMPARE(folder, started);
        return;
    }
    QCOMPARE(folder, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    // Owner-only: rwx for the owner, nothing for group and others.
    QCOMPARE(int(QFileInfo(folder).permissions()) & 0x7077, 0x7000);
    QVERIFY(QDir::setCurrent(started));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
