#include "support/support.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <list>

// A simulator on a device host of the test bed ("dev1"), or on this one ("").
struct Device {
    QString host;
    QStringList arguments;
};
using Devices = QVector<Device>;

// One run of orvane-find and what it leaves. With a signal, the run gets it once it printed so
// many lines and the first device answered.
struct Run {
    Devices devices;
    QStringList arguments;
    int status;
    QString output;
    QString errors; // how standard error begins; empty: it stays empty
    int requests;   // each device heard, where the search succeeded; 0: not counted
    QString before; // a shell command that changes the network first
    int signal;
    int lines;
};
Q_DECLARE_METATYPE(Run)

namespace {

QStringList raw(const QByteArray &reply)
{
    return {"--raw", reply.toHex()};
}

// Another build may stand in, e.g. ORVANE_FIND_COMMAND="wine64 orvane-find.exe".
void start(QProcess &find, const QStringList &arguments)
{
    const QStringList command =
        QProcess::splitCommand(qEnvironmentVariable("ORVANE_FIND_COMMAND", ORVANE_FIND));
    find.start(command.value(0), command.mid(1) + arguments);
}

// Ended already, it has no id: kill(0) would signal this whole process group.
bool stop(QProcess &find, int signal)
{
    return find.processId() > 0 && kill(pid_t(find.processId()), signal) == 0;
}

QString timeless(const QByteArray &printed)
{
    return QString::fromUtf8(printed).replace(
        QRegularExpression(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[+-]\d\d:\d\d))"), "TIME");
}

void row(const char *name, const Devices &devices, const QStringList &arguments, int status,
         const QString &output, const QString &errors = {}, int requests = 1,
         const QString &before = {}, int signal = 0, int lines = 0)
{
    QTest::newRow(name) << Run{devices,  arguments, status, output, errors,
                               requests, before,    signal, lines};
}

} // namespace

// orvane-find and orvane-device-sim as processes in the test bed, a bridge of no address added
// whose name holds a backslash.
class TestOrvaneFind : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QCOMPARE(QProcess::execute("ip", {"link", "add", "orv\\find0", "type", "bridge"}), 0);
    }

    void cleanup() // lana as the test bed made it, its carrier back
    {
        QCOMPARE(QProcess::execute(
                     "sh", {"-c", "ip link set lana up && ip -n $ORVANE_TESTBED-dev1 link set eth0 "
                                  "up && ip addr flush dev lana && ip addr add 10.201.1.1/24 dev "
                                  "lana && until grep -qx 1 /sys/class/net/lana/carrier; do "
                                  "sleep 0.01; done"}),
                 0);
    }

    void run_data()
    {
        QTest::addColumn<Run>("expected");
        // Fields that need each format's care, and an emoji of two code points in one column.
        const Devices odd{
            {"", raw("dev \"1\", A|10.201.1.5|日本🚀🚀e\u0301|line1\nline2|x\ty|C:\\new\r|\x1b[0m") +
                     raw("👍🏽|b")}};
        const QStringList lana{"-i", "lana"};
        const Devices dev1{{"dev1", raw("a")}};
        row("tsv escapes", odd, lana + QStringList{"-f", "tsv"}, 0,
            "dev \"1\", "
            "A\t10.201.1.5\t日本🚀🚀e\u0301\tline1\\nline2\tx\\ty\tC:\\\\new\\r\t\x1b[0m\n"
            "👍🏽\tb\t\t\t\t\t\n",
            "orvane-find: warning: b is not in 10.201.1.0/24 (lana): its page may not open from "
            "this computer\n");
        row("csv quotes", odd, lana + QStringList{"-f", "csv"}, 0,
            "Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware Version\r\n"
            "\"dev \"\"1\"\", A\",10.201.1.5,日本🚀🚀e\u0301,\"line1\nline2\",x\ty,\"C:\\new\r\","
            "\x1b[0m\r\n👍🏽,b,,,,,\r\n",
            "orvane-find: warning: b");
        row("table columns", odd, lana + QStringList{"-f", "table"}, 0,
            "Hostname    IP-Address  Netmask    MAC-Address   Product Name  Serial No  "
            "Firmware Version\n"
            "----------  ----------  ---------  ------------  ------------  ---------  "
            "----------------\n"
            "dev \"1\", A  10.201.1.5  日本🚀🚀e\u0301  line1\\nline2  x\\ty          C:\\\\new\\r  "
            "\\x1b[0m\n"
            "👍🏽          b\n",
            "orvane-find: warning: b");
        row("json", {{"", raw("dev")}}, lana + QStringList{"-f", "json"}, 0,
            QString(R"([{"Hostname": "dev", "IP-Address": "", "Netmask": "", "MAC-Address": "",
                 "Product Name": "", "Serial No": "", "Firmware Version": "", "Warnings":
                 ["A device without an IP-Address is not in 10.201.1.0/24 (lana): its page may not
                 open from this computer"]}])")
                .simplified(),
            "orvane-find: warning: A device without");
        row("all: each LAN hears its own request, rows tagged",
            {{"dev1", raw("one|10.201.1.11")}, {"dev2", raw("two|10.201.2.12")}},
            {"--all", "-f", "csv"}, 0,
            "Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware Version,"
            "Interface\r\none,10.201.1.11,,,,,,lana (Ethernet)\r\n"
            "two,10.201.2.12,,,,,,lanb (Ethernet)\r\n");
        // Said before any traffic: no request leaves. Without a carrier, lana stays up: its peer
        // went down, and the kernel got to it.
        const QString linkDown = "orvane-find: the link of lana is down (the interface is not up, "
                                 "or has no carrier).\n";
        row("link down before the search", dev1, lana, 1, "", linkDown, 0, "ip link set lana down");
        row("no carrier before the search", {{"dev1", raw("a")}}, lana, 1, "", linkDown, 0,
            "ip -n $ORVANE_TESTBED-dev1 link set eth0 down && "
            "until grep -qx 0 /sys/class/net/lana/carrier; do sleep 0.01; done");
        row("wait ends the search sooner",
            {{"", raw("a") + QStringList{"--repeat", "2", "--interval", "600"}}},
            {"-i", "lo", "--wait", "300"}, 0, "a\t\t\t\t\t\t\n",
            "orvane-find: warning: A device without");
        // Two devices, the second matching: found once the device starts answering.
        row("wait for a device that starts late",
            {{"",
              {"--ignore", "2", "--devices", "2", "--hostname", "d", "--mac", "aa:bb:cc:dd:ee:00",
               "--serial", "A", "--product", "P=1", "--firmware", "F"}}},
            {"-i", "lo", "--wait-for", "SERIAL=A-2", "--wait-for", "mac=aa:bb:cc:dd:ee:01",
             "--wait-for", "netmask=255.0.0.0", "--wait-for", "product=P=1", "--wait", "300"},
            0, "d-2\t127.0.0.2\t255.0.0.0\tAA:BB:CC:DD:EE:01\tP=1\tA-2\tF\n", "", 3);
        row("wait for a device that never comes", {{"dev1", raw("dev\x1b]0;owned\x07\r\n")}},
            lana + QStringList{"--wait-for", "serial=A-2", "--wait-for", "hostname=DEV",
                               "--timeout", "1"},
            1, "",
            "orvane-find: no reply with serial=A-2 and hostname=DEV within 1 s. 1 device "
            "answered: serial='' hostname='dev\\x1b]0;owned\\x07\\r\\n'.\n");
        row("wait for: nobody answers, no hint", {},
            lana + QStringList{"--wait-for", "serial=A", "--timeout", "1"}, 1, "",
            "orvane-find: no reply with serial=A within 1 s. No device answered.\n");
        row("wait for: what answered, the first three of them",
            {{"dev1", {"--devices", "4", "--serial", "S"}}},
            lana + QStringList{"--wait-for", "serial=S-5", "--timeout", "1"}, 1, "",
            "orvane-find: no reply with serial=S-5 within 1 s. 4 devices answered, among them: "
            "serial='S-1', serial='S-2', serial='S-3'.\n");
        row("watch: JSON Lines, ended by SIGTERM", {{"", raw("e|10.0.0.7||m7")}},
            {"-i", "lo", "--watch", "-f", "json"}, 0,
            R"({"Event":"appeared","Firmware Version":"","Hostname":"e","IP-Address":"10.0.0.7",)"
            R"("MAC-Address":"m7","Netmask":"","Product Name":"","Serial No":"","Time":"TIME",)"
            R"("Warnings":["10.0.0.7 (m7) is not in 127.0.0.0/8 (lo): its page may not open )"
            R"(from this computer"]})"
            "\n",
            "orvane-find: warning: 10.0.0.7 (m7) is not in 127.0.0.0/8 (lo)", 1, "", SIGTERM, 1);
        row("watch: CSV, its header once",
            {{"dev1", QStringList{"--requests", "1"} + raw("e|10.0.0.7||m7")}},
            lana + QStringList{"--watch", "1", "-w", "300", "-f", "csv"}, 0,
            "Event,Time,Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware "
            "Version\r\nappeared,TIME,e,10.0.0.7,,m7,,,\r\ngone,TIME,e,10.0.0.7,,m7,,,\r\n",
            "orvane-find: warning: 10.0.0.7 (m7)", 0, "", SIGINT, 3);
        row("list interfaces, each by its first address", {}, {"--list-interfaces"}, 0,
            "lo (loopback)\t127.0.0.1\nlana (Ethernet)\t10.201.1.1\n"
            "lanb (Ethernet)\t10.201.2.1\norv\\\\find0 (Ethernet, bridge)\t0.0.0.0\n",
            "", 0, "ip addr add 10.201.1.99/24 dev lana");
        // Asked directly, through dev2's routing to the far LAN; judged by no subnet. Requests
        // 200 ms apart, so that the replies keep their order whatever the neighbours' lookup.
        const Device three{"dev3", raw("three|10.66.2.13")}, four{"dev4", raw("four|10.66.2.14")};
        const QString threeRow = "three\t10.66.2.13\t\t\t\t\t\n",
                      fourRow = "four\t10.66.2.14\t\t\t\t\t\n";
        row("to: a subnet behind a router", {three, four},
            {"--to", "10.66.2.12/30", "--rate", "5", "-f", "tsv"}, 0, threeRow + fourRow);
        row("to: a host, from an interface's address", {three, four},
            {"-i", "lanb", "--to", "10.66.2.14", "-f", "tsv"}, 0, fourRow, "", 0);
        // No route to 192.0.2.1: its request cannot be sent, the next ones go all the same. The
        // router answers the absent .20 with host unreachable while the search listens.
        row("to: addresses no route or router leads to", {three},
            {"--to", "192.0.2.1", "--to", "10.66.2.20", "--to", "10.66.2.13", "--rate", "1", "-w",
             "4000", "-f", "tsv"},
            0, threeRow);
        // Both answer once: their going is news, the silence after it no hint.
        row("to: a watch through the router",
            {{"dev3", QStringList{"--requests", "1"} + three.arguments},
             {"dev4", QStringList{"--requests", "1"} + four.arguments}},
            {"--to", "10.66.2.13-14", "--rate", "5", "--watch", "1", "-w", "300", "-f", "tsv"}, 0,
            "appeared\tTIME\t" + threeRow + "appeared\tTIME\t" + fourRow + "gone\tTIME\t" +
                fourRow + "gone\tTIME\t" + threeRow,
            "", 0, "", SIGINT, 4);
        row("to: no request could be sent", {}, {"--to", "192.0.2.1-3"}, 1, "",
            "orvane-find: sendto failed with error code: 101\n");
        row("to: nobody at the targets", {}, {"--to", "10.66.2.20-21", "-w", "300"}, 0, "",
            "orvane-find: no device answered at the 2 address(es) asked. Where devices are, a "
            "firewall on this computer may drop their replies");
        // A list as a person writes it: one device as expected (its MAC in another case), one
        // with other firmware, one not in it, and one that does not answer.
        static const QTemporaryDir lists;
        QFile list(lists.filePath("expected.csv"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("MAC-Address,Hostname,Firmware Version\n02:00:00:00:00:0a,d-1,\n"
                   "02:00:00:00:00:0B,,2.5.0\n02:00:00:00:00:01,'=absent,1.0\n");
        list.close();
        row("expect: as expected, differs, unexpected, missing",
            {{"dev1",
              {"--devices", "3", "--hostname", "d", "--mac", "02:00:00:00:00:0A", "--product", "P",
               "--serial", "S", "--firmware", "2.4.1"}}},
            lana + QStringList{"--expect", list.fileName(), "-f", "json"}, 3,
            R"([{"Check": "as expected", "Hostname": "d-1", "IP-Address": "10.201.1.11", "Netmask":
                 "255.255.255.0", "MAC-Address": "02:00:00:00:00:0A", "Product Name": "P", "Serial No":
                 "S-1", "Firmware Version": "2.4.1", "Warnings": [], "Differences": []},
                {"Check": "differs", "Hostname": "d-2", "IP-Address": "10.201.1.12", "Netmask":
                 "255.255.255.0", "MAC-Address": "02:00:00:00:00:0B", "Product Name": "P", "Serial No":
                 "S-2", "Firmware Version": "2.4.1", "Warnings": [], "Differences": [{"Field":
                 "Firmware Version", "Found": "2.4.1", "Expected": "2.5.0"}]},
                {"Check": "unexpected", "Hostname": "d-3", "IP-Address": "10.201.1.13", "Netmask":
                 "255.255.255.0", "MAC-Address": "02:00:00:00:00:0C", "Product Name": "P", "Serial No":
                 "S-3", "Firmware Version": "2.4.1", "Warnings": [], "Differences": []},
                {"Check": "missing", "Hostname": "=absent", "IP-Address": "", "Netmask": "",
                 "MAC-Address": "02:00:00:00:00:01", "Product Name": "", "Serial No": "",
                 "Firmware Version": "1.0", "Warnings": [], "Differences": []}])",
            "orvane-find: 1 of 3 expected devices as expected; 1 differs, 1 missing; 1 "
            "unexpected\n");
        row("not listed", {}, {"-i", "eth9"}, 2, "", "orvane-find: No listed interface");
        row("version", {}, {"--version"}, 0, "orvane-find " ORVANE_VERSION "\n");
        // Searches that listen for 20 s, or sweep for 50, ended by Ctrl-C once the devices have
        // answered: as if the quiet time had passed, well within the 10 s a run may take.
        const QStringList listening{"--wait", "20000"};
        row("stopped: a watch, no round complete", dev1 + Devices{{"dev2", raw("b")}},
            QStringList{"--all", "--watch"} + listening, 0, "", "", 0, "", SIGINT);
        row("stopped: one search, what arrived", dev1, lana + listening, 0, "a\t\t\t\t\t\t\n",
            "orvane-find: warning: A device", 0, "", SIGINT);
        row("stopped: a sweep while it sends, what arrived", dev1,
            QStringList{"--to", "10.201.1.11-10.201.1.254", "--rate", "5"} + listening, 0,
            "a\t\t\t\t\t\t\n", "", 0, "", SIGINT);
        row("stopped: wait for, with what answered", dev1,
            lana + QStringList{"--wait-for", "serial=S"} + listening, 1, "",
            "orvane-find: no reply with serial=S before the stop. 1 device answered: "
            "serial=''.\n",
            0, "", SIGINT);
    }
    void run()
    {
        QFETCH(Run, expected);
        std::list<Simulator> simulators;
        for (const Device &device : expected.devices)
            QVERIFY(simulators.emplace_back(device.arguments, device.host).listening);
        if (!expected.before.isEmpty())
            QCOMPARE(QProcess::execute("sh", {"-c", expected.before}), 0);
        QProcess find;
        start(find, expected.arguments);

        QByteArray printed;
        if (expected.signal) {
            QTRY_VERIFY_WITH_TIMEOUT(
                (printed += find.readAllStandardOutput()).count('\n') >= expected.lines &&
                    std::all_of(simulators.begin(), simulators.end(),
                                [](Simulator &s) { return !s.lines("answered ").isEmpty(); }),
                20000);
            QVERIFY2(stop(find, expected.signal), "orvane-find ended before the signal");
        }
        QVERIFY(find.waitForFinished(10000));
        printed += find.readAllStandardOutput();
        const QString complaint = QString::fromUtf8(find.readAllStandardError());
        QVERIFY2(expected.errors.isEmpty() ? complaint.isEmpty()
                                           : complaint.startsWith(expected.errors),
                 qPrintable(complaint));
        QCOMPARE(find.exitCode(), expected.status);
        if (expected.arguments.contains("json") && !expected.arguments.contains("--watch"))
            QCOMPARE(QJsonDocument::fromJson(printed),
                     QJsonDocument::fromJson(expected.output.toUtf8()));
        else
            QCOMPARE(timeless(printed), expected.output);
        for (Simulator &simulator : simulators) {
            if (expected.requests && expected.status == 0)
                QCOMPARE(simulator.lines("request ").size(), expected.requests);
        }
    }

    // A sweep of more than a second counts its requests on the terminal, never among the rows.
    void sweepProgress()
    {
        Simulator three(raw("three"), "dev3");
        QVERIFY(three.listening);
        QTemporaryDir folder;
        QProcess terminal;
        terminal.start("script", {"-qfec",
                                  QString(ORVANE_FIND) + " --to 10.66.2.0/24 --rate 100 >" +
                                      folder.filePath("rows"),
                                  "/dev/null"});
        QVERIFY(terminal.waitForFinished(20000));
        const QString seen = QString::fromUtf8(terminal.readAllStandardOutput());
        QVERIFY2(seen.contains(QRegularExpression(R"(\rorvane-find: sent \d+ of 254 requests)")),
                 qPrintable(seen));
        QFile rows(folder.filePath("rows"));
        QVERIFY(rows.open(QIODevice::ReadOnly));
        QCOMPARE(rows.readAll(), "three\t\t\t\t\t\t\n");
    }

    // lana's address goes for several rounds, then comes back as another: nobody goes meanwhile,
    // nobody comes again. dev1 answers throughout.
    void watchAcrossAnOutage()
    {
        Simulator dev1(raw("a|10.201.1.11"), "dev1");
        QVERIFY(dev1.listening);
        QProcess find;
        start(find, {"-i", "lana", "--watch", "1", "--wait", "300"});
        QByteArray printed, told;
        const auto seen = [&](const char *text) {
            printed += find.readAllStandardOutput();
            told += find.readAllStandardError();
            return (printed + told).contains(text);
        };
        QTRY_VERIFY_WITH_TIMEOUT(seen("appeared"), 20000);
        QCOMPARE(QProcess::execute("ip", {"addr", "del", "10.201.1.1/24", "dev", "lana"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(seen("lana has no IPv4 address"), 20000);
        QTest::qWait(3500); // rounds go by without a search
        QCOMPARE(QProcess::execute("ip", {"addr", "add", "10.201.1.7/24", "dev", "lana"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(dev1.lines("request 10.201.1.7:").size() >= 2, 20000);

        QVERIFY(stop(find, SIGINT) && find.waitForFinished(10000));
        seen("");
        QCOMPARE(find.exitCode(), 0);
        QCOMPARE(timeless(printed), "appeared\tTIME\ta\t10.201.1.11\t\t\t\t\t\n");
    }
};

QTEST_GUILESS_MAIN(TestOrvaneFind)
#include "tst_orvanefind.moc"
