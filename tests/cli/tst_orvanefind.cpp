#include "discovery/adapters.h"
#include "discovery/interfacelist.h"
#include "support/fakedevice.h"
#include "support/orvanefind.h"
#include "support/privatenetwork.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <cerrno>

// The built orvane-find, run as a process inside this test's private network
// namespace, against a fake device on loopback.
class TestOrvaneFind : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void usage_data();
    void usage();
    void repliesInArrivalOrder_data();
    void repliesInArrivalOrder();
    void formats_data();
    void formats();
    void waitSetsQuietTime_data();
    void waitSetsQuietTime();
    void listInterfacesEqualsWindowList();
    void severalInterfacesNeedChoice();
    void allTagsEveryRow();
    void failingSearch();

private:
    // An interface without an IPv4 address: listed, but nothing can be sent from it.
    bool haveBareInterface_ = false;
};

namespace {

using Script = std::vector<FakeDevice::Reply>;

const QString BareInterface = "orvfind0";

} // namespace

void TestOrvaneFind::initTestCase()
{
    REQUIRE_PRIVATE_NETWORK();
    QVERIFY2(QFileInfo(ORVANE_FIND).isExecutable(), ORVANE_FIND);
    haveBareInterface_ = QProcess::execute("ip", {"link", "add", BareInterface, "type", "veth",
                                                  "peer", "name", "orvfind1"}) == 0;
}

void TestOrvaneFind::cleanupTestCase()
{
    if (haveBareInterface_)
        QProcess::execute("ip", {"link", "del", BareInterface});
}

void TestOrvaneFind::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("outputStart");
    QTest::addColumn<QString>("errorsStart");

    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: "
                          << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "orvane-find 0.0.1\n"
                             << "";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                    << "orvane-find: Unknown option 'bogus'.\n";
    QTest::newRow("unknown interface")
        << QStringList{"--interface", "192.0.2.1"} << 2 << ""
        << "orvane-find: No listed interface has the description, name or address "
           "'192.0.2.1'. The interfaces are:\n  lo (loopback)  127.0.0.1\n";
    QTest::newRow("zero wait") << QStringList{"-i", "lo", "--wait", "0"} << 2 << ""
                               << "orvane-find: --wait takes a whole number";
}

void TestOrvaneFind::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, outputStart);
    QFETCH(QString, errorsStart);

    const OrvaneFindRun run = runOrvaneFind(arguments);

    QCOMPARE(run.status, status);
    QCOMPARE(run.output.left(outputStart.size()), outputStart);
    QCOMPARE(run.output.isEmpty(), outputStart.isEmpty());
    QCOMPARE(run.errors.left(errorsStart.size()), errorsStart);
    QCOMPARE(run.errors.isEmpty(), errorsStart.isEmpty());
}

void TestOrvaneFind::repliesInArrivalOrder_data()
{
    QTest::addColumn<QString>("interface");

    QTest::newRow("by address") << "127.0.0.1";
    QTest::newRow("by name") << "lo";
    QTest::newRow("by description") << "lo (loopback)";
}

void TestOrvaneFind::repliesInArrivalOrder()
{
    QFETCH(QString, interface);
    FakeDevice device({{0, "c|10.0.0.3"}, {50, "a|10.0.0.1"}, {50, "a|10.0.0.1"}, {50, "b"}});
    QVERIFY2(device.isListening(), "fake device could not bind the discovery port");

    const OrvaneFindRun run = runOrvaneFind({"--interface", interface});

    QCOMPARE(run.errors, QString());
    QCOMPARE(run.status, 0);
    // Standard output is a pipe here, so the format is tsv.
    QCOMPARE(run.output, QString("c\t10.0.0.3\t\t\t\t\t\n"
                                 "a\t10.0.0.1\t\t\t\t\t\n"
                                 "a\t10.0.0.1\t\t\t\t\t\n"
                                 "b\t\t\t\t\t\t\n"));
    const QList<FakeDevice::Heard> heard = device.heard();
    QCOMPARE(heard.size(), 1);
    QCOMPARE(heard[0].payload, QByteArray("vkr_hello_hardware"));
    QCOMPARE(heard[0].senderAddress, 0x7F000001u);
}

void TestOrvaneFind::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("output");

    QTest::newRow("tsv")
        << "tsv"
        << "dev \"1\", A\t127.0.0.1\t255.0.0.0\tline1\\nline2\tGerät\\tX\tSN\\\\1\t\n";
    QTest::newRow("csv") << "csv"
                         << "Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,"
                            "Firmware Version\r\n"
                            "\"dev \"\"1\"\", A\",127.0.0.1,255.0.0.0,\"line1\nline2\",Gerät\tX,"
                            "SN\\1,\r\n";
    QTest::newRow("table")
        << "table"
        << "Hostname    IP-Address  Netmask    MAC-Address   Product Name  Serial No  Firmware "
           "Version\n"
           "----------  ----------  ---------  ------------  ------------  ---------  "
           "----------------\n"
           "dev \"1\", A  127.0.0.1   255.0.0.0  line1\\nline2  Gerät\\tX      SN\\\\1\n";
    QTest::newRow("json") << "json" << QString(); // parsed below
}

void TestOrvaneFind::formats()
{
    QFETCH(QString, format);
    QFETCH(QString, output);
    // Six fields: the seventh is missing and prints empty.
    FakeDevice device({{0, "dev \"1\", A|127.0.0.1|255.0.0.0|line1\nline2|Gerät\tX|SN\\1"}});
    QVERIFY2(device.isListening(), "fake device could not bind the discovery port");

    const OrvaneFindRun run = runOrvaneFind({"-i", "lo", "--format", format, "--wait", "300"});

    QCOMPARE(run.errors, QString());
    QCOMPARE(run.status, 0);
    if (format != "json") {
        QCOMPARE(run.output, output);
        return;
    }
    const QJsonArray devices = QJsonDocument::fromJson(run.output.toUtf8()).array();
    QCOMPARE(devices.size(), 1);
    const QJsonObject device0 = devices[0].toObject();
    QCOMPARE(device0.keys().size(), 7);
    const QStringList expected{"dev \"1\", A", "127.0.0.1", "255.0.0.0", "line1\nline2",
                               "Gerät\tX",     "SN\\1",     ""};
    const QStringList names{"Hostname",     "IP-Address", "Netmask",         "MAC-Address",
                            "Product Name", "Serial No",  "Firmware Version"};
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(device0.value(names[i]).toString(), expected[i]);
}

void TestOrvaneFind::waitSetsQuietTime_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<std::vector<FakeDevice::Reply>>("script");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<int>("belowMs");

    const Script lateReply{{0, "a"}, {600, "b"}};
    const Script laterReply{{0, "a"}, {1800, "b"}};
    const QString a = "a\t\t\t\t\t\t\n";
    const QString b = "b\t\t\t\t\t\t\n";
    QTest::newRow("short wait ends before the late reply")
        << QStringList{"--wait", "300"} << lateReply << a << 250 << 1500;
    QTest::newRow("default second hears the late reply")
        << QStringList{} << lateReply << a + b << 1400 << 5000;
    QTest::newRow("default second misses a reply after it")
        << QStringList{} << laterReply << a << 900 << 1700;
    QTest::newRow("long wait hears it")
        << QStringList{"-w", "2500"} << laterReply << a + b << 4000 << 8000;
}

void TestOrvaneFind::waitSetsQuietTime()
{
    QFETCH(QStringList, arguments);
    QFETCH(std::vector<FakeDevice::Reply>, script);
    QFETCH(QString, output);
    QFETCH(int, atLeastMs);
    QFETCH(int, belowMs);
    FakeDevice device(script);
    QVERIFY2(device.isListening(), "fake device could not bind the discovery port");

    const OrvaneFindRun run = runOrvaneFind(QStringList{"-i", "lo"} + arguments);

    QCOMPARE(run.errors, QString());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, output);
    QVERIFY2(run.elapsedMs >= atLeastMs && run.elapsedMs < belowMs,
             qPrintable(QString::number(run.elapsedMs)));
}

void TestOrvaneFind::listInterfacesEqualsWindowList()
{
    const std::optional<std::vector<Adapter>> adapters = queryAdapters();
    QVERIFY(adapters.has_value());
    QString windowList;
    for (const NetworkInterface &interface : listedInterfaces(*adapters))
        windowList += interface.description + '\t' + interface.address + '\n';

    const OrvaneFindRun run = runOrvaneFind({"--list-interfaces"});

    QCOMPARE(run.errors, QString());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, windowList);
    QVERIFY(run.output.startsWith("lo (loopback)\t127.0.0.1\n"));
    if (haveBareInterface_)
        QVERIFY(run.output.contains(BareInterface + " (Ethernet)\t0.0.0.0\n"));
}

void TestOrvaneFind::severalInterfacesNeedChoice()
{
    if (!haveBareInterface_)
        QSKIP("cannot create a veth pair here");

    const OrvaneFindRun run = runOrvaneFind({});

    QCOMPARE(run.status, 2);
    QCOMPARE(run.output, QString());
    QVERIFY2(run.errors.startsWith("orvane-find: Several interfaces are listed: choose one with "
                                   "--interface, or search on all with --all.\n"
                                   "  lo (loopback)  127.0.0.1\n"),
             qPrintable(run.errors));
    QVERIFY2(run.errors.contains("  " + BareInterface + " (Ethernet)  0.0.0.0\n"),
             qPrintable(run.errors));
}

void TestOrvaneFind::allTagsEveryRow()
{
    FakeDevice device({{0, "one"}, {20, "two|127.0.0.1"}});
    QVERIFY2(device.isListening(), "fake device could not bind the discovery port");

    const OrvaneFindRun run = runOrvaneFind({"--all", "--format", "tsv"});

    QCOMPARE(run.errors, QString());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, QString("one\t\t\t\t\t\t\tlo (loopback)\n"
                                 "two\t127.0.0.1\t\t\t\t\t\tlo (loopback)\n"));
    // Interfaces without an address are left out: loopback alone asked.
    QCOMPARE(device.heard().size(), 1);
}

void TestOrvaneFind::failingSearch()
{
    if (!haveBareInterface_)
        QSKIP("cannot create a veth pair here");

    // From an interface without an address the request goes out from 0.0.0.0,
    // for which the namespace has no route.
    const OrvaneFindRun run = runOrvaneFind({"--interface", BareInterface});

    QCOMPARE(run.status, 1);
    QCOMPARE(run.errors, QString("sendto failed with error code: %1\n").arg(ENETUNREACH));
    QCOMPARE(run.output, QString());
}

QTEST_GUILESS_MAIN(TestOrvaneFind)
#include "tst_orvanefind.moc"
