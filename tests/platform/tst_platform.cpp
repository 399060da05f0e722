#include "platform/adapters.h"
#include "platform/addresscommands.h"

#include <QtTest>
#ifndef Q_OS_WIN
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
        row("an ethernet card", "eth1 (Ethernet)", true);
        row("microsoft virtual", "microsoft virtual adapter", false);
        row("microsoft virtual in capitals", "MICROSOFT VIRTUAL WIFI MINIPORT", false);
        row("microsoft virtual inside", "Hyper-V Microsoft Virtual Switch", false);
        row("microsoft and virtual two blanks apart", "Microsoft  Virtual Adapter", true);
        row("virtual before microsoft", "Virtual Microsoft Adapter", true);
        row("vmware", "VMware Virtual Ethernet Adapter for VMnet8", false);
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

    // The commands that give an interface a further address for a while, and take it away.
    void addressCommands_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("index");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("netmask");
        QTest::addColumn<int>("prefixLength");
        QTest::addColumn<QString>("add");
        QTest::addColumn<QString>("remove");
#ifdef Q_OS_WIN
        // netsh takes the index: the adapter list gives no connection name.
        QTest::newRow("by index, the mask dotted")
            << "Intel(R) Ethernet" << 7u << "10.88.2.254"
            << "255.255.255.0" << 24
            << "netsh interface ipv4 add address name=7 address=10.88.2.254 mask=255.255.255.0 "
               "store=active"
            << "netsh interface ipv4 delete address name=7 address=10.88.2.254";
#else
        QTest::newRow("by name, the prefix length")
            << "lanA0" << 7u << "10.88.2.254"
            << "255.255.255.0" << 24 << "ip address add 10.88.2.254/24 dev lanA0"
            << "ip address del 10.88.2.254/24 dev lanA0";
        QTest::newRow("a /12") << "eth0" << 2u << "172.31.255.254"
                               << "255.240.0.0" << 12 << "ip address add 172.31.255.254/12 dev eth0"
                               << "ip address del 172.31.255.254/12 dev eth0";
#endif
    }
    void addressCommands()
    {
        QFETCH(QString, name);
        QFETCH(uint, index);
        QFETCH(QString, address);
        QFETCH(QString, netmask);
        QFETCH(int, prefixLength);
        QFETCH(QString, add);
        QFETCH(QString, remove);
        const AddressCommands commands =
            ::addressCommands({name.toStdString(), index, address.toStdString(),
                               netmask.toStdString(), prefixLength});
        QCOMPARE(QString::fromStdString(commands.add), add);
        QCOMPARE(QString::fromStdString(commands.remove), remove);
    }

#ifndef Q_OS_WIN
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
#endif
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
