#include "discovery/adapters_posix.h"
#include "discovery/interfacelist.h"
#include "support/privatenetwork.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Runs inside a private network namespace: loopback is the only interface to begin with.
class TestInterfaceList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }
    void filter_data();
    void filter();
    void listKeepsPlatformOrder();
    void describe_data();
    void describe();
    void namespaceAdapters();
};

void TestInterfaceList::filter_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("listed");

    QTest::newRow("ethernet") << "eth0 (Ethernet, driver e1000e)" << true;
    QTest::newRow("microsoft virtual lower case") << "microsoft virtual adapter" << false;
    QTest::newRow("microsoft virtual capitals") << "MICROSOFT VIRTUAL WIFI MINIPORT" << false;
    QTest::newRow("microsoft virtual initials")
        << "Microsoft Virtual WiFi Miniport Adapter" << false;
    QTest::newRow("microsoft virtual inside") << "Hyper-V microsoft Virtual switch" << false;
    QTest::newRow("microsoft and virtual two blanks") << "Microsoft  Virtual Adapter" << true;
    QTest::newRow("virtual microsoft reversed") << "Virtual Microsoft Adapter" << true;
    QTest::newRow("vmware initials") << "VMware Virtual Ethernet Adapter for VMnet8" << false;
    QTest::newRow("vmware capitals") << "VMWARE ADAPTER" << false;
    QTest::newRow("vmware inside word") << "my-vmWare-net" << false;
    QTest::newRow("linux vmnet") << "vmnet1 (Ethernet, VMware virtual adapter)" << false;
    QTest::newRow("bluetooth initials") << "Bluetooth Device (Personal Area Network)" << false;
    QTest::newRow("bluetooth lower case") << "bnep0 (bluetooth)" << false;
    QTest::newRow("bluetooth mixed") << "BlueTOOTH PAN" << false;
    QTest::newRow("bluetooth after non-ascii text")
        << QString::fromUtf8("P\u00e9riph\u00e9rique BLUETOOTH") << false;
    QTest::newRow("non-ascii without the words") << QString::fromUtf8("Carte r\u00e9seau") << true;
    QTest::newRow("blue alone") << "Blue Team LAN" << true;
    QTest::newRow("empty description") << "" << true;
}

void TestInterfaceList::filter()
{
    QFETCH(QString, description);
    QFETCH(bool, listed);

    QCOMPARE(isListedAdapter(description.toStdString()), listed);
}

void TestInterfaceList::listKeepsPlatformOrder()
{
    const std::vector<Adapter> adapters{
        {"zeta (Ethernet)", "10.0.0.3"},
        {"VMware Virtual Ethernet Adapter for VMnet1", "192.168.1.1"},
        {"alpha (Ethernet)", "10.0.0.1"},
        {"Bluetooth PAN", "0.0.0.0"},
        {"alpha (Ethernet)", "10.0.0.1"},
        {"no address", "0.0.0.0"},
    };

    const QVector<NetworkInterface> listed = listedInterfaces(adapters);

    QStringList seen;
    for (const NetworkInterface &interface : listed)
        seen << interface.description + " " + interface.address;
    QCOMPARE(seen, (QStringList{"zeta (Ethernet) 10.0.0.3", "alpha (Ethernet) 10.0.0.1",
                                "alpha (Ethernet) 10.0.0.1", "no address 0.0.0.0"}));
}

namespace {
void writeFile(const QString &path, const QByteArray &content)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}
} // namespace

void TestInterfaceList::describe_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("files"); // path=content, or path->link target
    QTest::addColumn<QString>("description");

    QTest::newRow("loopback") << "lo" << QStringList{"type=772"} << "lo (loopback)";
    QTest::newRow("ethernet with driver")
        << "eth0" << QStringList{"type=1", "device/driver->../../bus/pci/drivers/e1000e"}
        << "eth0 (Ethernet, driver e1000e)";
    QTest::newRow("wireless") << "wlan0"
                              << QStringList{"type=1", "uevent=INTERFACE=wlan0\nDEVTYPE=wlan\n",
                                             "device/driver->../../drivers/iwlwifi"}
                              << "wlan0 (wireless, driver iwlwifi)";
    QTest::newRow("bluetooth pan")
        << "bnep0" << QStringList{"type=1", "uevent=DEVTYPE=bluetooth\nINTERFACE=bnep0\n"}
        << "bnep0 (Bluetooth)";
    QTest::newRow("bridge") << "br0" << QStringList{"type=1", "uevent=DEVTYPE=bridge\n"}
                            << "br0 (Ethernet, bridge)";
    QTest::newRow("vmware host adapter")
        << "vmnet8" << QStringList{"type=1"} << "vmnet8 (Ethernet, VMware virtual adapter)";
    QTest::newRow("nothing known") << "tun0" << QStringList{"type=65534"} << "tun0";
    QTest::newRow("no sysfs folder") << "ghost" << QStringList{} << "ghost";
}

void TestInterfaceList::describe()
{
    QFETCH(QString, name);
    QFETCH(QStringList, files);
    QFETCH(QString, description);

    QTemporaryDir sys;
    QVERIFY(sys.isValid());
    for (const QString &file : files) {
        const QString base = sys.filePath(name) + "/";
        if (file.contains("->")) {
            const QStringList link = file.split("->");
            QVERIFY(QDir().mkpath(QFileInfo(base + link[0]).path()));
            QVERIFY(QFile::link(link[1], base + link[0]));
        } else {
            const int equals = file.indexOf('=');
            writeFile(base + file.left(equals), file.mid(equals + 1).toUtf8());
        }
    }

    QCOMPARE(
        QString::fromStdString(describeInterface(name.toStdString(), sys.path().toStdString())),
        description);
}

void TestInterfaceList::namespaceAdapters()
{
    // An interface without an IPv4 address is listed with 0.0.0.0.
    const bool haveVeth = QProcess::execute("ip", {"link", "add", "orvtest0", "type", "veth",
                                                   "peer", "name", "orvtest1"}) == 0;

    const std::optional<std::vector<Adapter>> adapters = queryAdapters();

    QVERIFY(adapters.has_value());
    QVERIFY(!adapters->empty());
    QCOMPARE(QString::fromStdString(adapters->front().description), QString("lo (loopback)"));
    QCOMPARE(QString::fromStdString(adapters->front().ipv4Address), QString("127.0.0.1"));
    if (!haveVeth)
        QSKIP("cannot create a veth pair here");
    QStringList rest;
    for (std::size_t i = 1; i < adapters->size(); ++i)
        rest << QString::fromStdString(adapters->at(i).description + " " +
                                       adapters->at(i).ipv4Address);
    QCOMPARE(rest, (QStringList{"orvtest1 (Ethernet) 0.0.0.0", "orvtest0 (Ethernet) 0.0.0.0"}));
}

QTEST_GUILESS_MAIN(TestInterfaceList)
#include "tst_interfacelist.moc"
