#include "platform/adapters_posix.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestAdaptersPosix : public QObject {
    Q_OBJECT

private slots:
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
        row("wireless by its folder", "wlp2s0", "mkdir wireless", "wlp2s0 (wireless)");
        row("bluetooth", "bnep0", "echo DEVTYPE=bluetooth >uevent", "bnep0 (Bluetooth)");
        row("bridge", "br0", "echo DEVTYPE=bridge >uevent", "br0 (Ethernet, bridge)");
        row("vmware host adapter", "vmnet8", ":", "vmnet8 (Ethernet, VMware virtual adapter)");
        row("nothing known", "tun0", "echo 65534 >type", "tun0");
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
};

QTEST_GUILESS_MAIN(TestAdaptersPosix)
#include "tst_adapters_posix.moc"
