#include "platform/adapters.h"

#include <QtTest>
#ifdef Q_OS_WIN
#include "platform/addresscommands.h"
#else
#include "platform/adapters_posix.h"

#include <QTemporaryDir>
#endif

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void listedAdapters_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("listed");
        const auto row = [](const char *name, const char *description, bool listed) {
            QTest::newRow(name) << description << listed;
        };
        row("microsoft virtual in capitals", "MICROSOFT VIRTUAL WIFI MINIPORT", false);
        row("microsoft and virtual two blanks apart", "Microsoft  Virtual Adapter", true);
        row("vmware inside a word", "my-vmWare-net", false);
        row("bluetooth in capitals after an accent", "Périphérique BLUETOOTH", false);
        row("blue alone", "Blue Team LAN", true);
    }
    void listedAdapters()
    {
        QFETCH(QString, description);
        QFETCH(bool, listed);
        QCOMPARE(isListedAdapter(description.toStdString()), listed);
    }

#ifdef Q_OS_WIN
    // netsh takes the index: the adapter list gives no connection name. (Elsewhere the judgement's
    // rows pin the commands.)
    void addressCommands()
    {
        const AddressCommands commands =
            ::addressCommands({"Intel(R) Ethernet", 7, "10.88.2.254", "255.255.255.0", 24});
        QCOMPARE(QString::fromStdString(commands.add),
                 "netsh interface ipv4 add address name=7 address=10.88.2.254 mask=255.255.255.0 "
                 "store=active");
        QCOMPARE(QString::fromStdString(commands.remove),
                 "netsh interface ipv4 delete address name=7 address=10.88.2.254");
    }
#else
    // Linux descriptions from a fake /sys/class/net: what the folder tells of an interface's kind.
    void linuxDescriptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder"); // shell commands that lay out its folder
        QTest::addColumn<QString>("description");
        const auto row = [](const char *kind, const char *name, const char *folder,
                            const char *description) {
            QTest::newRow(kind) << name << folder << description;
        };
        const char *const driver = "mkdir device && ln -s /bus/pci/drivers/e1000e device/driver";
        row("loopback", "lo", "echo 772 >type", "lo (loopback)");
        row("ethernet with driver", "eth0", driver, "eth0 (Ethernet, driver e1000e)");
        row("wireless", "wlan0",
            "printf 'INTERFACE=wlan0\\nDEVTYPE=wlan\\n' >uevent && mkdir device && "
            "ln -s /drivers/iwlwifi device/driver",
            "wlan0 (wireless, driver iwlwifi)");
        row("bluetooth", "bnep0", "echo DEVTYPE=bluetooth >uevent", "bnep0 (Bluetooth)");
        row("vmware host adapter", "vmnet8", ":", "vmnet8 (Ethernet, VMware virtual adapter)");
        row("no folder", "ghost", "cd .. && rm -r ghost", "ghost");
    }
    void linuxDescriptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(QString, description);
        QTemporaryDir sys;
        const QString layout = "cd '%1' && mkdir %2 && cd %2 && echo 1 >type && %3";
        QCOMPARE(QProcess::execute("sh", {"-c", layout.arg(sys.path(), name, folder)}), 0);

        QCOMPARE(
            QString::fromStdString(describeInterface(name.toStdString(), sys.path().toStdString())),
            description);
    }
#endif
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
