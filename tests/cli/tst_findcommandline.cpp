#include "cli/findcommandline.h"

#include <QtTest>

Q_DECLARE_METATYPE(FindRequest::Action)
Q_DECLARE_METATYPE(std::optional<OutputFormat>)

class TestFindCommandLine : public QObject {
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void helpTellsTheChoices();
    void version();
};

namespace {
using Action = FindRequest::Action;
const std::optional<OutputFormat> DefaultFormat;
} // namespace

void TestFindCommandLine::accepted_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<FindRequest::Action>("action");
    QTest::addColumn<QString>("interface"); // null: not given
    QTest::addColumn<bool>("all");
    QTest::addColumn<std::optional<OutputFormat>>("format");
    QTest::addColumn<int>("quietTimeMs");

    QTest::newRow("nothing") << QStringList{} << Action::Search << QString() << false
                             << DefaultFormat << 1000;
    QTest::newRow("help") << QStringList{"--help"} << Action::ShowHelp << QString() << false
                          << DefaultFormat << 1000;
    QTest::newRow("help short") << QStringList{"-h"} << Action::ShowHelp << QString() << false
                                << DefaultFormat << 1000;
    QTest::newRow("help wins over a bad combination")
        << QStringList{"--all", "--interface", "lo", "--help"} << Action::ShowHelp << QString()
        << false << DefaultFormat << 1000;
    QTest::newRow("version") << QStringList{"--version"} << Action::ShowVersion << QString()
                             << false << DefaultFormat << 1000;
    QTest::newRow("list interfaces") << QStringList{"--list-interfaces"} << Action::ListInterfaces
                                     << QString() << false << DefaultFormat << 1000;
    QTest::newRow("interface by address")
        << QStringList{"--interface", "10.0.0.2"} << Action::Search << "10.0.0.2" << false
        << DefaultFormat << 1000;
    QTest::newRow("interface with equals sign")
        << QStringList{"--interface=eth0 (Ethernet)"} << Action::Search << "eth0 (Ethernet)"
        << false << DefaultFormat << 1000;
    QTest::newRow("interface short")
        << QStringList{"-i", "lo"} << Action::Search << "lo" << false << DefaultFormat << 1000;
    QTest::newRow("interface empty text")
        << QStringList{"--interface", ""} << Action::Search << "" << false << DefaultFormat << 1000;
    QTest::newRow("all") << QStringList{"--all"} << Action::Search << QString() << true
                         << DefaultFormat << 1000;
    QTest::newRow("table") << QStringList{"--format", "table"} << Action::Search << QString()
                           << false << std::optional(OutputFormat::Table) << 1000;
    QTest::newRow("csv") << QStringList{"--format=csv"} << Action::Search << QString() << false
                         << std::optional(OutputFormat::Csv) << 1000;
    QTest::newRow("json") << QStringList{"-f", "json"} << Action::Search << QString() << false
                          << std::optional(OutputFormat::Json) << 1000;
    QTest::newRow("tsv") << QStringList{"--format", "tsv"} << Action::Search << QString() << false
                         << std::optional(OutputFormat::Tsv) << 1000;
    QTest::newRow("wait") << QStringList{"--wait", "250"} << Action::Search << QString() << false
                          << DefaultFormat << 250;
    QTest::newRow("wait one millisecond")
        << QStringList{"-w", "1"} << Action::Search << QString() << false << DefaultFormat << 1;
    QTest::newRow("wait largest int") << QStringList{"--wait=2147483647"} << Action::Search
                                      << QString() << false << DefaultFormat << 2147483647;
    QTest::newRow("everything for a search")
        << QStringList{"--all", "--format", "json", "--wait", "3000"} << Action::Search << QString()
        << true << std::optional(OutputFormat::Json) << 3000;
}

void TestFindCommandLine::accepted()
{
    QFETCH(QStringList, arguments);
    QFETCH(FindRequest::Action, action);
    QFETCH(QString, interface);
    QFETCH(bool, all);
    QFETCH(std::optional<OutputFormat>, format);
    QFETCH(int, quietTimeMs);

    FindCommandLine commandLine;
    const auto parsed = commandLine.parse(QStringList{"orvane-find"} + arguments);

    const auto *error = std::get_if<UsageError>(&parsed);
    QVERIFY2(!error, error ? qPrintable(error->message) : "");
    const FindRequest request = std::get<FindRequest>(parsed);
    QCOMPARE(request.action, action);
    QCOMPARE(request.interface.has_value(), !interface.isNull());
    if (request.interface)
        QCOMPARE(*request.interface, interface);
    QCOMPARE(request.allInterfaces, all);
    QVERIFY(request.format == format);
    QCOMPARE(request.quietTimeMs, quietTimeMs);
}

void TestFindCommandLine::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown option") << QStringList{"--colour"} << "Unknown option 'colour'.";
    QTest::newRow("positional argument") << QStringList{"eth0"} << "Unexpected argument 'eth0'.";
    QTest::newRow("interface without value")
        << QStringList{"--interface"} << "Missing value after '--interface'.";
    QTest::newRow("interface and all") << QStringList{"--interface", "lo", "--all"}
                                       << "Give either --interface or --all, not both.";
    QTest::newRow("interface twice")
        << QStringList{"-i", "lo", "-i", "eth0"} << "--interface may be given once only.";
    QTest::newRow("format twice") << QStringList{"-f", "csv", "--format=tsv"}
                                  << "--format may be given once only.";
    QTest::newRow("unknown format") << QStringList{"--format", "xml"}
                                    << "Unknown format 'xml': choose table, csv, json or tsv.";
    QTest::newRow("format in capitals") << QStringList{"--format", "CSV"}
                                        << "Unknown format 'CSV': choose table, csv, json or tsv.";
    QTest::newRow("empty format") << QStringList{"--format="}
                                  << "Unknown format '': choose table, csv, json or tsv.";
    QTest::newRow("wait zero") << QStringList{"--wait", "0"}
                               << "--wait takes a whole number of milliseconds from 1 on, not '0'.";
    QTest::newRow("wait negative")
        << QStringList{"--wait=-5"}
        << "--wait takes a whole number of milliseconds from 1 on, not '-5'.";
    QTest::newRow("wait with plus sign")
        << QStringList{"--wait=+5"}
        << "--wait takes a whole number of milliseconds from 1 on, not '+5'.";
    QTest::newRow("wait with blank")
        << QStringList{"--wait", " 5"}
        << "--wait takes a whole number of milliseconds from 1 on, not ' 5'.";
    QTest::newRow("wait with unit")
        << QStringList{"--wait", "5s"}
        << "--wait takes a whole number of milliseconds from 1 on, not '5s'.";
    QTest::newRow("wait fraction")
        << QStringList{"--wait", "1.5"}
        << "--wait takes a whole number of milliseconds from 1 on, not '1.5'.";
    QTest::newRow("wait beyond int")
        << QStringList{"--wait", "2147483648"}
        << "--wait takes a whole number of milliseconds from 1 on, not '2147483648'.";
    QTest::newRow("list interfaces with interface") << QStringList{"--list-interfaces", "-i", "lo"}
                                                    << "--list-interfaces takes no --interface.";
    QTest::newRow("list interfaces with all")
        << QStringList{"--all", "--list-interfaces"} << "--list-interfaces takes no --all.";
    QTest::newRow("list interfaces with format")
        << QStringList{"--list-interfaces", "-f", "json"} << "--list-interfaces takes no --format.";
    QTest::newRow("list interfaces with wait")
        << QStringList{"--list-interfaces", "-w", "10"} << "--list-interfaces takes no --wait.";
}

void TestFindCommandLine::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    FindCommandLine commandLine;
    const auto parsed = commandLine.parse(QStringList{"orvane-find"} + arguments);

    const auto *error = std::get_if<UsageError>(&parsed);
    QVERIFY2(error, "accepted");
    QCOMPARE(error->message, message);
}

void TestFindCommandLine::helpTellsTheChoices()
{
    FindCommandLine commandLine;
    const QString help = commandLine.helpText();

    for (const char *text :
         {"--list-interfaces", "--interface <interface>", "--all", "--format <format>",
          "--wait <ms>", "--help", "--version", "table, csv, json or tsv",
          "table when standard output is", "Default: 1000.", "RFC 4180",
          "written as \\\\, \\t, \\n and \\r", "East Asian wide", "Exit status: 0"})
        QVERIFY2(help.contains(QLatin1String(text)), text);
    for (const QString &line : help.split('\n'))
        QVERIFY2(line.size() <= 80, qPrintable(line));
}

void TestFindCommandLine::version()
{
    QCOMPARE(FindCommandLine::versionText(), QString("orvane-find 0.0.1\n"));
}

QTEST_GUILESS_MAIN(TestFindCommandLine)
#include "tst_findcommandline.moc"
