#include "discovery/adapters.h"
#include "discovery/interfacelist.h"
#include "support/orvanefind.h"
#include "support/privatenetwork.h"
#include "support/testbed.h"
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>
#include <cerrno>
#include <map>
#include <memory>

// Runs the built orvane-find in the finder host of the test bed, against
// simulated devices on two bridged LANs.
class TestOrvaneFindTestBed : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void listInterfacesEqualsWindowList();
    void searchOnEachLan_data();
    void searchOnEachLan();
    void allFindsBothLans();
    void failingSearch();
};

namespace {

using Devices = std::map<QString, std::unique_ptr<SimulatedDevice>>;

const QStringList LanAHosts{"dev1", "dev2", "dev3"};
const QStringList DeviceHosts = LanAHosts + QStringList{"dev4"};

// Each device answers with its host's name; on LAN A they answer in the order
// dev2, dev3, dev1, so that arrival order shows.
bool startDevices(Devices &devices)
{
    const QMap<QString, QString> delayMs{
        {"dev1", "300"}, {"dev2", "0"}, {"dev3", "150"}, {"dev4", "0"}};
    for (const QString &host : DeviceHosts) {
        auto device = std::make_unique<SimulatedDevice>(
            host, QStringList{"--hostname", host, "--delay", delayMs.value(host)});
        if (!device->waitUntilListening()) {
            qWarning("%s: %s", qPrintable(host), qPrintable(device->errors()));
            return false;
        }
        devices[host] = std::move(device);
    }
    return true;
}

QString descriptionOf(const QString &interfaceName)
{
    const std::optional<std::vector<Adapter>> adapters = queryAdapters();
    for (const NetworkInterface &interface :
         listedInterfaces(adapters.value_or(std::vector<Adapter>{}))) {
        if (interface.description.startsWith(interfaceName + " ("))
            return interface.description;
    }
    return {};
}

// Whether the device heard exactly one request, and that from this address.
bool heardOnceFrom(SimulatedDevice &device, const QString &address)
{
    const QStringList requests = device.requests();
    const QRegularExpression fromAddress("^request " + QRegularExpression::escape(address) +
                                         R"(:\d+ -> 255\.255\.255\.255:49999 18 bytes$)");
    return requests.size() == 1 && fromAddress.match(requests.first()).hasMatch();
}

} // namespace

void TestOrvaneFindTestBed::initTestCase()
{
    REQUIRE_PRIVATE_NETWORK();
    QVERIFY2(qEnvironmentVariableIsSet("ORVANE_TESTBED"), "run through tests/testbed/testbed run");
}

void TestOrvaneFindTestBed::listInterfacesEqualsWindowList()
{
    MainWindow window;
    const auto *interfaces = window.findChild<QComboBox *>("cbNetworkInterfaces");
    QString windowList;
    for (int i = 0; i < interfaces->count(); ++i)
        windowList += interfaces->itemText(i) + '\t' + interfaces->itemData(i).toString() + '\n';

    const OrvaneFindRun run = runOrvaneFind({"--list-interfaces"});

    QCOMPARE(run.errors, QString());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, windowList);
    QVERIFY2(
        QRegularExpression("^lana \\(.*\\)\t10\\.201\\.1\\.1$", QRegularExpression::MultilineOption)
            .match(run.output)
            .hasMatch(),
        qPrintable(run.output));
    QVERIFY2(
        QRegularExpression("^lanb \\(.*\\)\t10\\.201\\.2\\.1$", QRegularExpression::MultilineOption)
            .match(run.output)
            .hasMatch(),
        qPrintable(run.output));
}

void TestOrvaneFindTestBed::searchOnEachLan_data()
{
    QTest::addColumn<QString>("interface");
    QTest::addColumn<QString>("finderAddress");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("LAN A by name") << "lana"
                                   << "10.201.1.1" << QStringList{"dev2", "dev3", "dev1"};
    QTest::newRow("LAN A by address") << "10.201.1.1"
                                      << "10.201.1.1" << QStringList{"dev2", "dev3", "dev1"};
    QTest::newRow("LAN B by name") << "lanb"
                                   << "10.201.2.1" << QStringList{"dev4"};
    QTest::newRow("LAN B by description")
        << descriptionOf("lanb") << "10.201.2.1" << QStringList{"dev4"};
}

void TestOrvaneFindTestBed::searchOnEachLan()
{
    QFETCH(QString, interface);
    QFETCH(QString, finderAddress);
    QFETCH(QStringList, found);
    Devices devices;
    QVERIFY(startDevices(devices));

    const OrvaneFindRun run = runOrvaneFind({"--interface", interface, "--format", "tsv"});

    QCOMPARE(run.errors, QString());
    QCOMPARE(run.status, 0);
    QStringList hostnames;
    for (const QString &line : run.output.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        QCOMPARE(fields.size(), 7);
        // The simulator fills in its interface's address, on the finder's LAN.
        QVERIFY2(fields[1].startsWith(finderAddress.section('.', 0, 2) + '.'), qPrintable(line));
        hostnames << fields[0];
    }
    QCOMPARE(hostnames, found);
    for (const QString &host : DeviceHosts) {
        if (found.contains(host))
            QVERIFY2(heardOnceFrom(*devices[host], finderAddress),
                     qPrintable(host + ": " + devices[host]->requests().join(", ")));
        else
            QVERIFY2(devices[host]->requests().isEmpty(),
                     qPrintable(host + ": " + devices[host]->requests().join(", ")));
    }
}

void TestOrvaneFindTestBed::allFindsBothLans()
{
    Devices devices;
    QVERIFY(startDevices(devices));
    const QString lanA = descriptionOf("lana");
    const QString lanB = descriptionOf("lanb");
    QVERIFY(!lanA.isEmpty() && !lanB.isEmpty());

    const OrvaneFindRun run = runOrvaneFind({"--all", "--format", "json"});

    QCOMPARE(run.errors, QString());
    QCOMPARE(run.status, 0);
    QStringList tagged;
    for (const QJsonValue &device : QJsonDocument::fromJson(run.output.toUtf8()).array())
        tagged << device["Hostname"].toString() + " on " + device["Interface"].toString();
    // Interfaces in the list's order (lana before lanb), each in arrival order.
    QCOMPARE(tagged, (QStringList{"dev2 on " + lanA, "dev3 on " + lanA, "dev1 on " + lanA,
                                  "dev4 on " + lanB}));
    // One request on each LAN, each from the finder's own address there.
    for (const QString &host : LanAHosts)
        QVERIFY2(heardOnceFrom(*devices[host], "10.201.1.1"), qPrintable(host));
    QVERIFY(heardOnceFrom(*devices["dev4"], "10.201.2.1"));
}

void TestOrvaneFindTestBed::failingSearch()
{
    Devices devices;
    QVERIFY(startDevices(devices));
    // lana keeps its link but loses its address: listed with 0.0.0.0, and a broadcast
    // from the any-address has no route in the finder host.
    QCOMPARE(QProcess::execute("ip", {"addr", "del", "10.201.1.1/24", "dev", "lana"}), 0);
    const auto restore = qScopeGuard([] {
        QProcess::execute("ip", {"addr", "add", "10.201.1.1/24", "dev", "lana"});
    });

    const OrvaneFindRun failed = runOrvaneFind({"--interface", "lana"});

    QCOMPARE(failed.status, 1);
    QCOMPARE(failed.errors, QString("sendto failed with error code: %1\n").arg(ENETUNREACH));
    QCOMPARE(failed.output, QString());

    // --all leaves the address-less interface out and still searches LAN B.
    const OrvaneFindRun all = runOrvaneFind({"--all", "--format", "tsv"});

    QCOMPARE(all.errors, QString());
    QCOMPARE(all.status, 0);
    QCOMPARE(all.output.count('\n'), 1);
    QVERIFY2(all.output.startsWith("dev4\t10.201.2.14\t"), qPrintable(all.output));
    for (const QString &host : LanAHosts)
        QVERIFY2(devices[host]->requests().isEmpty(), qPrintable(host));
}

QTEST_MAIN(TestOrvaneFindTestBed)
#include "tst_orvanefind_testbed.moc"
