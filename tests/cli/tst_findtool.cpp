#include "cli/findtool.h"
#include "support/fakedevice.h"
#include "support/privatenetwork.h"

#include <QBuffer>
#include <QtTest>

// Runs inside a private network namespace; the adapter lists are handed in, the
// searches are real and reach a fake device on loopback.
class TestFindTool : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }
    void withoutSearch_data();
    void withoutSearch();
    void defaultFormat_data();
    void defaultFormat();
    void failedSearch();
    void allWithOneFailing();
};

namespace {

std::optional<std::vector<Adapter>> noList()
{
    return std::nullopt;
}

std::optional<std::vector<Adapter>> loopbackOnly()
{
    return std::vector<Adapter>{{"lo (loopback)", "127.0.0.1"}};
}

std::optional<std::vector<Adapter>> mixedAdapters()
{
    return std::vector<Adapter>{{"lo (loopback)", "127.0.0.1"},
                                {"VMware Virtual Ethernet Adapter for VMnet8", "192.168.8.1"},
                                {"eth0 (Ethernet)", "10.0.0.2"},
                                {"bnep0 (Bluetooth)", "0.0.0.0"},
                                {"odd\tname", "0.0.0.0"}};
}

// 192.0.2.1 is no address of this namespace, so binding to it fails.
std::optional<std::vector<Adapter>> loopbackAndStranger()
{
    return std::vector<Adapter>{{"unplugged (Ethernet)", "0.0.0.0"},
                                {"ghost (Ethernet)", "192.0.2.1"},
                                {"lo (loopback)", "127.0.0.1"}};
}

std::optional<std::vector<Adapter>> strangerOnly()
{
    return std::vector<Adapter>{{"ghost (Ethernet)", "192.0.2.1"}};
}

struct Outcome {
    int status;
    QString output;
    QString errors;
};

Outcome runTool(FindTool::AdapterQuery adapters, bool terminal, const QStringList &arguments)
{
    QBuffer output;
    QBuffer errors;
    output.open(QIODevice::WriteOnly);
    errors.open(QIODevice::WriteOnly);
    const int status =
        FindTool(adapters, terminal).run(QStringList{"orvane-find"} + arguments, output, errors);
    return {status, QString::fromUtf8(output.data()), QString::fromUtf8(errors.data())};
}

const QString TryHelp = "Try 'orvane-find --help' for more.\n";

} // namespace

Q_DECLARE_METATYPE(FindTool::AdapterQuery)

void TestFindTool::withoutSearch_data()
{
    QTest::addColumn<FindTool::AdapterQuery>("adapters");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");

    const FindTool::AdapterQuery mixed = &mixedAdapters;
    QTest::newRow("version") << mixed << QStringList{"--version"} << 0 << "orvane-find 0.0.1\n"
                             << "";
    QTest::newRow("version without any adapter")
        << FindTool::AdapterQuery(&noList) << QStringList{"-v"} << 0 << "orvane-find 0.0.1\n"
        << "";
    QTest::newRow("list interfaces as the window lists them")
        << mixed << QStringList{"--list-interfaces"} << 0
        << "lo (loopback)\t127.0.0.1\neth0 (Ethernet)\t10.0.0.2\nodd\\tname\t0.0.0.0\n"
        << "";
    QTest::newRow("list without adapters")
        << FindTool::AdapterQuery(&noList) << QStringList{"--list-interfaces"} << 1 << ""
        << "No network interfaces detected\n";
    QTest::newRow("search without adapters")
        << FindTool::AdapterQuery(&noList) << QStringList{"--all"} << 1 << ""
        << "No network interfaces detected\n";
    QTest::newRow("bad option") << mixed << QStringList{"--bogus"} << 2 << ""
                                << "orvane-find: Unknown option 'bogus'.\n" + TryHelp;
    QTest::newRow("bad option before adapters are asked for")
        << FindTool::AdapterQuery(&noList) << QStringList{"--format", "yaml"} << 2 << ""
        << "orvane-find: Unknown format 'yaml': choose table, csv, json or tsv.\n" + TryHelp;
    QTest::newRow("several interfaces, none chosen")
        << mixed << QStringList{} << 2 << ""
        << "orvane-find: Several interfaces are listed: choose one with --interface, or search "
           "on all with --all.\n"
           "  lo (loopback)  127.0.0.1\n  eth0 (Ethernet)  10.0.0.2\n  odd\tname  0.0.0.0\n" +
               TryHelp;
    QTest::newRow("filtered interface cannot be chosen")
        << mixed << QStringList{"--interface", "192.168.8.1"} << 2 << ""
        << "orvane-find: No listed interface has the description, name or address "
           "'192.168.8.1'. The interfaces are:\n"
           "  lo (loopback)  127.0.0.1\n  eth0 (Ethernet)  10.0.0.2\n  odd\tname  0.0.0.0\n" +
               TryHelp;
}

void TestFindTool::withoutSearch()
{
    QFETCH(FindTool::AdapterQuery, adapters);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, errors);

    const Outcome outcome = runTool(adapters, true, arguments);

    QCOMPARE(outcome.errors, errors);
    QCOMPARE(outcome.output, output);
    QCOMPARE(outcome.status, status);
}

void TestFindTool::defaultFormat_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");

    const QString table = "Hostname  IP-Address  Netmask  MAC-Address  Product Name  Serial No  "
                          "Firmware Version\n"
                          "--------  ----------  -------  -----------  ------------  ---------  "
                          "----------------\n"
                          "dev       127.0.0.1\n";
    QTest::newRow("terminal gets a table") << true << QStringList{} << table;
    QTest::newRow("pipe gets tsv") << false << QStringList{} << "dev\t127.0.0.1\t\t\t\t\t\n";
    QTest::newRow("format chosen on a terminal")
        << true << QStringList{"--format", "tsv"} << "dev\t127.0.0.1\t\t\t\t\t\n";
    QTest::newRow("format chosen on a pipe") << false << QStringList{"-f", "table"} << table;
}

void TestFindTool::defaultFormat()
{
    QFETCH(bool, terminal);
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);

    FakeDevice device({{0, "dev|127.0.0.1"}});
    QVERIFY2(device.isListening(), "fake device could not bind the discovery port");

    const Outcome outcome = runTool(&loopbackOnly, terminal, arguments + QStringList{"-w", "300"});

    QCOMPARE(outcome.errors, QString());
    QCOMPARE(outcome.output, output);
    QCOMPARE(outcome.status, 0);
}

void TestFindTool::failedSearch()
{
    const Outcome outcome = runTool(&strangerOnly, false, {"--format", "csv"});

    QCOMPARE(outcome.status, 1);
    QCOMPARE(outcome.errors, QString("Bind to socket failed\n"));
    QCOMPARE(outcome.output, QString());
}

void TestFindTool::allWithOneFailing()
{
    FakeDevice device({{0, "one|127.0.0.1"}, {20, "two|127.0.0.1"}});
    QVERIFY2(device.isListening(), "fake device could not bind the discovery port");

    const Outcome outcome = runTool(&loopbackAndStranger, false, {"--all", "--format", "csv"});

    QCOMPARE(outcome.status, 1);
    QCOMPARE(outcome.errors, QString("ghost (Ethernet): Bind to socket failed\n"));
    QCOMPARE(outcome.output,
             QString("Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,"
                     "Firmware Version,Interface\r\n"
                     "one,127.0.0.1,,,,,,lo (loopback)\r\n"
                     "two,127.0.0.1,,,,,,lo (loopback)\r\n"));
    // The interface without an address was not searched from; the other two were.
    QCOMPARE(device.heard().size(), 1);
}

QTEST_GUILESS_MAIN(TestFindTool)
#include "tst_findtool.moc"
