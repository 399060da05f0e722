#include "find/options.h"
#include "find/targets.h"

#include <QtTest>

// orvane-find's command line: what it asks for, or how it ends the program.
class TestCommandLines : public QObject {
    Q_OBJECT

    // The options as a line, the defaults included.
    static QString summary(const FindOptions &options)
    {
        QStringList waitFor;
        for (const FieldMatch &match : options.waitFor)
            waitFor << QStringLiteral("%1=%2").arg(match.column).arg(match.value);
        return QStringLiteral("interface=%1 all=%2 format=%3 wait=%4 for=%5 timeout=%6 watch=%7")
                   .arg(options.interface.value_or("-"))
                   .arg(options.all)
                   .arg(options.format ? int(*options.format) : -1)
                   .arg(options.quietTimeMs)
                   .arg(waitFor.join(','))
                   .arg(options.timeoutSeconds)
                   .arg(options.watchSeconds) +
               (options.targets.empty() ? QString()
                                        : QStringLiteral(" to=%1 rate=%2")
                                              .arg(options.targets.size())
                                              .arg(options.requestsPerSecond));
    }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName("tool"); }

    void findOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");   // -1: parsed
        QTest::addColumn<QString>("told"); // the options, or how the help begins, or the refusal
        const auto parsed = [](const char *name, const QStringList &arguments, const char *told) {
            QTest::newRow(name) << arguments << -1 << told;
        };
        const auto refused = [](const char *name, const QStringList &arguments, const char *why) {
            QTest::newRow(name) << arguments << 2 << why;
        };
        parsed("the defaults", {}, "interface=- all=0 format=-1 wait=1000 for= timeout=60 watch=0");
        parsed("watch alone, before another option", {"--watch", "-i", "lo", "-f", "json"},
               "interface=lo all=0 format=2 wait=1000 for= timeout=60 watch=5");
        parsed("a format in any case", {"-f", "JSON"},
               "interface=- all=0 format=2 wait=1000 for= timeout=60 watch=0");
        parsed("watch with its seconds", {"-a", "--watch", "7", "-w", "300"},
               "interface=- all=1 format=-1 wait=300 for= timeout=60 watch=7");
        parsed("wait for fields in any case, a value with =",
               {"--wait-for", "MAC=aa:Bb", "--wait-for", "product=P=1", "--timeout", "9"},
               "interface=- all=0 format=-1 wait=1000 for=3=aa:Bb,4=P=1 timeout=9 watch=0");
        QTest::newRow("help of any kind, whatever else")
            << QStringList{"-i", "lo", "--help-all"} << 0 << "Usage: tool [options]\n";
        // Refused with status 2, told by what decides.
        refused("a number beyond its limit", {"-w", "3600001"}, "--wait takes");
        refused("a wait that never ends", {"-w", "0"}, "--wait takes");
        refused("an unknown format", {"-f", "xml"}, "Unknown format 'xml'");
        refused("interface and all", {"-i", "lo", "--all"}, "Give either --interface or --all");
        refused("an unexpected argument", {"-i", "lo", "eth0"}, "Unexpected argument 'eth0'");
        refused("a time-out without a wait", {"--timeout", "5"}, "--timeout goes with --wait-for");
        refused("wait for without =", {"--wait-for", "serial"}, "--wait-for takes");
        refused("watch and wait for", {"--watch", "--wait-for", "ip=1"},
                "Give either --watch or --wait-for");
        refused("a list to expect and a watch", {"--expect", "l.csv", "--watch"},
                "--expect compares one search");
        parsed("targets at the default pace", {"--to", "10.0.0.1-3", "--to", "10.0.0.9"},
               "interface=- all=0 format=-1 wait=1000 for= timeout=60 watch=0 to=4 rate=1000");
        parsed("targets from an interface, paced", {"-i", "lo", "--to", "10.0.0.1", "--rate", "5"},
               "interface=lo all=0 format=-1 wait=1000 for= timeout=60 watch=0 to=1 rate=5");
        refused("targets and all", {"--to", "10.0.0.1", "-a"}, "Give either --to or --all");
        refused("a pace without targets", {"--rate", "5"}, "--rate goes with --to");
        refused("no pace", {"--to", "10.0.0.1", "--rate", "0"}, "--rate takes");
        refused("a target that is none", {"--to", "plc.example"}, "--to takes");
    }

    // The addresses --to names: a few written out, more as how many, the first and the last.
    void targets_data()
    {
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QString>("addresses"); // or the refusal
        const auto row = [](const char *name, const QStringList &targets, const char *addresses) {
            QTest::newRow(name) << targets << addresses;
        };
        const char *tooMany =
            "--to names more than 65536 addresses: a search asks at most that many (a /16).";
        const char *none = "--to takes an IPv4 address, a range (10.66.2.5-15) or a subnet "
                           "(10.66.2.0/24), not '%1'.";
        row("a host", {"10.66.2.13"}, "10.66.2.13");
        row("a range to a last part", {"10.66.2.5-7"}, "10.66.2.5 10.66.2.6 10.66.2.7");
        row("a range to an address, across a part", {"10.66.2.254-10.66.3.1"},
            "10.66.2.254 10.66.2.255 10.66.3.0 10.66.3.1");
        row("a subnet without its network and broadcast", {"10.66.2.0/24"},
            "254: 10.66.2.1 ... 10.66.2.254");
        row("a subnet named by a host in it", {"10.66.2.77/30"}, "10.66.2.77 10.66.2.78");
        row("a /31: both", {"10.0.0.4/31"}, "10.0.0.4 10.0.0.5");
        row("each once, in the order given", {"10.0.0.3", "10.0.0.1-3"},
            "10.0.0.3 10.0.0.1 10.0.0.2");
        row("a /16", {"10.66.0.0/16"}, "65534: 10.66.0.1 ... 10.66.255.254");
        row("the most, in a range", {"10.0.0.0-10.0.255.255"}, "65536: 10.0.0.0 ... 10.0.255.255");
        row("one more than the most", {"10.0.0.0-10.1.0.0"}, tooMany);
        row("more than the most together", {"10.0.0.0/16", "10.1.0.0/16"}, tooMany);
        row("a range that ends before it begins", {"10.0.0.9-3"},
            "The range '10.0.0.9-3' ends before it begins.");
        for (const char *bad : {"10.0.0.0/33", "10.0.0.010", "10.0.0.1-", "10.0.0.0/8x"})
            QTest::newRow(bad) << QStringList{bad} << QString(none).arg(bad);
    }
    void targets()
    {
        QFETCH(QStringList, targets);
        QFETCH(QString, addresses);
        const auto named = targetAddresses(targets);
        if (const QString *refusal = std::get_if<QString>(&named)) {
            QCOMPARE(*refusal, addresses);
            return;
        }
        const std::vector<std::uint32_t> &list = std::get<std::vector<std::uint32_t>>(named);
        const auto dotted = [](std::uint32_t address) {
            return QStringLiteral("%1.%2.%3.%4")
                .arg(address >> 24)
                .arg(address >> 16 & 255)
                .arg(address >> 8 & 255)
                .arg(address & 255);
        };
        QStringList shown;
        for (const std::uint32_t address : list)
            shown << dotted(address);
        QCOMPARE(
            list.size() > 4
                ? QStringLiteral("%1: %2 ... %3").arg(list.size()).arg(shown.first(), shown.last())
                : shown.join(' '),
            addresses);
    }
    void findOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, told);
        const auto parsed = parseFindOptions(QStringList{"tool"} + arguments);
        if (const auto *options = std::get_if<FindOptions>(&parsed)) {
            QCOMPARE(-1, status);
            QCOMPARE(summary(*options), told);
            return;
        }
        const CommandLineEnd &end = std::get<CommandLineEnd>(parsed);
        QCOMPARE(end.status, status);
        QCOMPARE(end.text.left(told.size()), told);
    }
};

QTEST_GUILESS_MAIN(TestCommandLines)
#include "tst_commandlines.moc"
