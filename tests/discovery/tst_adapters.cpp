#include "discovery/adapters_posix.h"

#include <QtTest>

// Linux descriptions from a fake /sys/class/net: what the folder tells of an
// interface's kind.
class TestAdapters : public QObject {
    Q_OBJECT

private slots:
    void describe_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("files"); // path=content, or path->link target
        QTest::addColumn<QString>("description");
        const auto row = [](const char *kind, const char *name, const QStringList &files,
                            const char *description) {
            QTest::newRow(kind) << name << files << description;
        };
        row("loopback", "lo", {"type=772"}, "lo (loopback)");
        row("ethernet with driver", "eth0", {"type=1", "device/driver->/bus/pci/drivers/e1000e"},
            "eth0 (Ethernet, driver e1000e)");
        row("wireless", "wlan0",
            {"type=1", "uevent=INTERFACE=wlan0\nDEVTYPE=wlan\n", "device/driver->/drivers/iwlwifi"},
            "wlan0 (wireless, driver iwlwifi)");
        row("wireless by its folder", "wlp2s0", {"type=1", "wireless/x="}, "wlp2s0 (wireless)");
        row("bluetooth", "bnep0", {"type=1", "uevent=DEVTYPE=bluetooth\n"}, "bnep0 (Bluetooth)");
        row("bridge", "br0", {"type=1", "uevent=DEVTYPE=bridge\n"}, "br0 (Ethernet, bridge)");
        row("vmware host adapter", "vmnet8", {"type=1"},
            "vmnet8 (Ethernet, VMware virtual adapter)");
        row("nothing known", "tun0", {"type=65534"}, "tun0");
        row("no folder", "ghost", {}, "ghost");
    }
    void describe()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, files);
        QFETCH(QString, description);
        QTemporaryDir sys;
        for (const QString &file : files) {
            const QStringList link = file.split("->");
            const QString path = sys.filePath(name + '/' + link[0].section('=', 0, 0));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QFile content(path);
            QVERIFY(link.size() == 2 ? QFile::link(link[1], path)
                                     : content.open(QIODevice::WriteOnly) &&
                                           content.write(file.section('=', 1).toUtf8()) >= 0);
        }

        QCOMPARE(
            QString::fromStdString(describeInterface(name.toStdString(), sys.path().toStdString())),
            description);
    }
};

QTEST_APPLESS_MAIN(TestAdapters)
#include "tst_adapters.moc"
