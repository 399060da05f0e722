#include "support/support.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <csignal>
#include <list>

// A simulator on a device host of the test bed ("dev1"), or on this one ("").
struct Device {
    QString host;
    QStringList arguments;
};
using Devices = QVector<Device>;
Q_DECLARE_METATYPE(Devices)

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

    void cleanup() // what a row changed
    {
        QProcess::execute("nft", {"flush", "ruleset"});
        QProcess::execute("ip", {"-n", qEnvironmentVariable("ORVANE_TESTBED") + "-dev1", "link",
                                 "set", "eth0", "up"});
        for (const char *lan : {"a", "b"}) {
            const QString interface = QStringLiteral("lan") + lan;
            QProcess::execute("ip", {"link", "set", interface, "up"});
            QProcess::execute("ip", {"addr", "flush", "dev", interface});
            QProcess::execute("ip", {"addr", "add", *lan == 'a' ? "10.201.1.1/24" : "10.201.2.1/24",
                                     "dev", interface});
        }
        QProcess::execute("ip", {"route", "replace", "10.66.2.0/24", "via", "10.201.2.12"});
    }

    void run_data()
    {
        QTest::addColumn<Devices>("devices");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors"); // how standard error begins
        QTest::addColumn<QString>("before"); // a shell command that changes the network first
        QTest::addColumn<int>("lines");      // printed before the signal, if any
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("requests"); // each device heard; 0: not counted
        const auto row = [](const char *name, const Devices &devices, const QStringList &arguments,
                            int status, const QString &output, const QString &errors = "",
                            int requests = 1) {
            QTest::newRow(name) << devices << arguments << status << output << errors << "" << 0
                                << 0 << requests;
        };
        const auto raw = [](const QByteArray &reply) {
            return QStringList{"--raw", reply.toHex().toUpper()};
        };
        // Fields that need each format's care, and an emoji of two code points in one column.
        const Devices odd{
            {"", raw("dev \"1\", A|10.201.1.5|日本🚀🚀e\u0301|line1\nline2|x\ty|C:\\new\r|\x1b[0m") +
                     raw("👍🏽|b")}};
        const Devices dev{{"", raw("dev")}};
        const QString answer = "a\t\t\t\t\t\t\n";
        const QString notIn = " is not in %1: its page may not open from this computer\n";
        const QString noAddress =
            "orvane-find: warning: A device without an IP-Address" + notIn.arg("127.0.0.0/8 (lo)");

        row("tsv escapes", odd, {"-i", "lana", "-f", "tsv"}, 0,
            "dev \"1\", A\t10.201.1.5\t日本🚀🚀e\u0301\tline1\\nline2\tx\\ty\tC:\\\\new\\r\t\x1b[0m\n"
            "👍🏽\tb\t\t\t\t\t\n",
            "orvane-find: warning: b" + notIn.arg("10.201.1.0/24 (lana)"));
        row("csv quotes", odd, {"-i", "lana", "-f", "csv"}, 0,
            "Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware Version\r\n"
            "\"dev \"\"1\"\", A\",10.201.1.5,日本🚀🚀e\u0301,\"line1\nline2\",x\ty,\"C:\\new\r\","
            "\x1b[0m\r\n👍🏽,b,,,,,\r\n",
            "orvane-find: warning: b");
        row("table columns", odd, {"-i", "lana", "-f", "table"}, 0,
            "Hostname    IP-Address  Netmask    MAC-Address   Product Name  Serial No  "
            "Firmware Version\n"
            "----------  ----------  ---------  ------------  ------------  ---------  "
            "----------------\n"
            "dev \"1\", A  10.201.1.5  日本🚀🚀e\u0301  line1\\nline2  x\\ty          C:\\\\new\\r  "
            "\\x1b[0m\n"
            "👍🏽          b\n",
            "orvane-find: warning: b");
        row("json", dev, {"-i", "lana", "-f", "json"}, 0,
            QString(R"([{"Hostname": "dev", "IP-Address": "", "Netmask": "", "MAC-Address": "",
                 "Product Name": "", "Serial No": "", "Firmware Version": "", "Warnings":
                 ["A device without an IP-Address is not in 10.201.1.0/24 (lana): its page may not
                 open from this computer"]}])")
                .simplified(),
            "orvane-find: warning: A device without an IP-Address");
        const QStringList fields{"--mac", "02:00:00:00:00:01", "--product", "P", "--serial",
                                 "S",     "--firmware",        "F"};
        const Devices lans{{"dev1", QStringList{"--hostname", "one"} + fields},
                           {"dev2", QStringList{"--hostname", "two"} + fields}};
        row("all: each LAN hears its own request, rows tagged", lans, {"--all", "-f", "tsv"}, 0,
            "one\t10.201.1.11\t255.255.255.0\t02:00:00:00:00:01\tP\tS\tF\tlana (Ethernet)\n"
            "two\t10.201.2.12\t255.255.255.0\t02:00:00:00:00:01\tP\tS\tF\tlanb (Ethernet)\n");
        row("all: json, each device with its interface", lans, {"--all", "-f", "json"}, 0,
            R"j([{"Hostname": "one", "IP-Address": "10.201.1.11", "Netmask": "255.255.255.0",
                "MAC-Address": "02:00:00:00:00:01", "Product Name": "P", "Serial No": "S",
                "Firmware Version": "F", "Interface": "lana (Ethernet)", "Warnings": []},
               {"Hostname": "two", "IP-Address": "10.201.2.12", "Netmask": "255.255.255.0",
                "MAC-Address": "02:00:00:00:00:01", "Product Name": "P", "Serial No": "S",
                "Firmware Version": "F", "Interface": "lanb (Ethernet)", "Warnings": []}])j");
        row("all: csv, the interface a column", lans, {"--all", "-f", "csv"}, 0,
            "Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware Version,"
            "Interface\r\none,10.201.1.11,255.255.255.0,02:00:00:00:00:01,P,S,F,lana (Ethernet)\r\n"
            "two,10.201.2.12,255.255.255.0,02:00:00:00:00:01,P,S,F,lanb (Ethernet)\r\n");
        // Said before any traffic: no request leaves. Without a carrier, lana stays up: its peer
        // went down, and the kernel got to it.
        const Devices lanA{{"dev1", raw("a")}};
        const QString linkDown = "orvane-find: the link of lana is down (the interface is not up, "
                                 "or has no carrier).\n";
        QTest::newRow("link down before the search")
            << lanA << QStringList{"-i", "lana"} << 1 << "" << linkDown << "ip link set lana down"
            << 0 << 0 << 0;
        QTest::newRow("no carrier before the search")
            << lanA << QStringList{"-i", "lana"} << 1 << "" << linkDown
            << "ip -n $ORVANE_TESTBED-dev1 link set eth0 down && "
               "until grep -qx 0 /sys/class/net/lana/carrier; do sleep 0.01; done"
            << 0 << 0 << 0;
        // A rule of this computer's firewall that drops the request fails the send (EPERM).
        QTest::newRow("the request dropped by a firewall here")
            << Devices() << QStringList{"-i", "lana"} << 1 << ""
            << "orvane-find: lana: sendto failed with error code: 1\n"
            << "nft add table ip t && "
               "nft add chain ip t out '{ type filter hook output priority 0; }' && "
               "nft add rule ip t out udp dport 49999 drop"
            << 0 << 0 << 0;
        row("wait ends the search sooner",
            {{"", raw("a") + QStringList{"--repeat", "2", "--interval", "600"}}},
            {"-i", "lo", "--wait", "300"}, 0, answer, noAddress);
        // Two devices, the second matching: found once the device starts answering.
        row("wait for a device that starts late",
            {{"",
              {"--ignore", "2", "--devices", "2", "--hostname", "d", "--ip", "10.0.0.8", "--mac",
               "aa:bb:cc:dd:ee:00", "--serial", "A", "--product", "P=1", "--firmware", "F"}}},
            {"-i", "lo", "--wait-for", "SERIAL=A-2", "--wait-for", "mac=aa:bb:cc:dd:ee:01",
             "--wait-for", "ip=10.0.0.9", "--wait-for", "netmask=255.0.0.0", "--wait-for",
             "product=P=1", "--wait", "300"},
            0, "d-2\t10.0.0.9\t255.0.0.0\tAA:BB:CC:DD:EE:01\tP=1\tA-2\tF\n",
            "orvane-find: warning: 10.0.0.9 (AA:BB:CC:DD:EE:01) is not in 127.0.0.0/8 (lo)", 3);
        row("wait for a device that never comes", {{"dev1", raw("dev\x1b]0;owned\x07\r\n")}},
            {"-i", "lana", "--wait-for", "serial=A-2", "--wait-for", "hostname=DEV", "--timeout",
             "1"},
            1, "",
            "orvane-find: no reply with serial=A-2 and hostname=DEV within 1 s. 1 device "
            "answered: serial='' hostname='dev\\x1b]0;owned\\x07\\r\\n'.\n");
        row("wait for: nobody answers, no hint", {},
            {"-i", "lana", "--wait-for", "serial=A", "--timeout", "1"}, 1, "",
            "orvane-find: no reply with serial=A within 1 s. No device answered.\n");
        row("wait for: what answered, the first three of them",
            {{"dev1", {"--devices", "4", "--hostname", "h", "--serial", "S"}}},
            {"-i", "lana", "--wait-for", "serial=S-5", "--timeout", "1"}, 1, "",
            "orvane-find: no reply with serial=S-5 within 1 s. 4 devices answered, among them: "
            "serial='S-1', serial='S-2', serial='S-3'.\n");
        row("wait for: what answered, all three of them",
            {{"dev1", {"--devices", "3", "--hostname", "h", "--serial", "S"}}},
            {"-i", "lana", "--wait-for", "serial=S-5", "--timeout", "1"}, 1, "",
            "orvane-find: no reply with serial=S-5 within 1 s. 3 devices answered: serial='S-1', "
            "serial='S-2', serial='S-3'.\n");
        const QString jsonLine =
            "{\"Event\":\"appeared\",\"Firmware Version\":\"\",\"Hostname\":\"e\",\"IP-Address\":"
            "\"10.0.0.7\",\"MAC-Address\":\"m7\",\"Netmask\":\"\",\"Product Name\":\"\",\"Serial "
            "No\":"
            "\"\",\"Time\":\"TIME\",\"Warnings\":[\"10.0.0.7 (m7) is not in 127.0.0.0/8 (lo): its "
            "page "
            "may not open from this computer\"]}\n";
        QTest::newRow("watch: JSON Lines, ended by SIGTERM")
            << Devices{{"", raw("e|10.0.0.7||m7")}}
            << QStringList{"-i", "lo", "--watch", "-f", "json"} << 0 << jsonLine
            << "orvane-find: warning: 10.0.0.7 (m7)" + notIn.arg("127.0.0.0/8 (lo)") << "" << 1
            << SIGTERM << 0;
        QTest::newRow("watch: CSV, its header once")
            << Devices{{"dev1", QStringList{"--requests", "1"} + raw("e|10.0.0.7||m7")}}
            << QStringList{"-i", "lana", "--watch", "1", "-w", "300", "-f", "csv"} << 0
            << "Event,Time,Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware "
               "Version\r\nappeared,TIME,e,10.0.0.7,,m7,,,\r\ngone,TIME,e,10.0.0.7,,m7,,,\r\n"
            << "orvane-find: warning: 10.0.0.7 (m7)"
            << "" << 3 << SIGINT << 0;
        QTest::newRow("list interfaces, each by its first address")
            << Devices() << QStringList{"--list-interfaces"} << 0
            << "lo (loopback)\t127.0.0.1\nlana (Ethernet)\t10.201.1.1\n"
               "lanb (Ethernet)\t10.201.2.1\norv\\\\find0 (Ethernet, bridge)\t0.0.0.0\n"
            << ""
            << "ip addr add 10.201.1.99/24 dev lana" << 0 << 0 << 0;
        row("list interfaces as csv", {}, {"--list-interfaces", "-f", "csv"}, 0,
            "Interface,IP-Address\r\nlo (loopback),127.0.0.1\r\nlana (Ethernet),10.201.1.1\r\n"
            "lanb (Ethernet),10.201.2.1\r\n\"orv\\find0 (Ethernet, bridge)\",0.0.0.0\r\n");
        row("list interfaces as json", {}, {"--list-interfaces", "-f", "json"}, 0,
            R"j([{"Interface": "lo (loopback)", "IP-Address": "127.0.0.1"},
                {"Interface": "lana (Ethernet)", "IP-Address": "10.201.1.1"},
                {"Interface": "lanb (Ethernet)", "IP-Address": "10.201.2.1"},
                {"Interface": "orv\\find0 (Ethernet, bridge)", "IP-Address": "0.0.0.0"}])j");
        row("list interfaces as a table", {}, {"--list-interfaces", "-f", "table"}, 0,
            "Interface                      IP-Address\n"
            "-----------------------------  ----------\n"
            "lo (loopback)                  127.0.0.1\n"
            "lana (Ethernet)                10.201.1.1\n"
            "lanb (Ethernet)                10.201.2.1\n"
            "orv\\\\find0 (Ethernet, bridge)  0.0.0.0\n");
        // Asked directly, through dev2's routing to the far LAN; judged by no subnet. Requests
        // 200 ms apart, so that the replies keep their order whatever the neighbours' lookup.
        const auto device = [](const char *host, const QString &name, const QString &mac) {
            return Device{host,
                          {"--hostname", name, "--mac", mac, "--product", "P", "--serial", "S",
                           "--firmware", "F"}};
        };
        const Devices far{device("dev3", "three", "m3"), device("dev4", "four", "m4")};
        const QString three = "three\t10.66.2.13\t255.255.255.0\tm3\tP\tS\tF\n",
                      four = "four\t10.66.2.14\t255.255.255.0\tm4\tP\tS\tF\n";
        row("to: a subnet behind a router", far,
            {"--to", "10.66.2.12/30", "--rate", "5", "-f", "tsv"}, 0, three + four);
        row("to: a host, from an interface's address", far,
            {"-i", "lanb", "--to", "10.66.2.14", "-f", "tsv"}, 0, four, "", 0);
        row("to: a range and a list, each address once, in order",
            far + Devices{device("dev1", "one", "m1")},
            {"--to", "10.66.2.14-10.66.2.20", "--to", "10.201.1.11", "--to", "10.66.2.14", "--rate",
             "20", "-f", "tsv"},
            0, four + "one\t10.201.1.11\t255.255.255.0\tm1\tP\tS\tF\n", "", 0);
        // The router answers the absent .20 with host unreachable while the search listens.
        row("to: an absent host the router calls unreachable", far,
            {"--to", "10.66.2.20", "--to", "10.66.2.13", "--rate", "1", "-w", "4000", "-f", "tsv"},
            0, three, "", 0);
        // Both answer once: their going is news, the silence after it no hint.
        QTest::newRow("to: a watch through the router")
            << Devices{{"dev3", QStringList{"--requests", "1"} + far[0].arguments},
                       {"dev4", QStringList{"--requests", "1"} + far[1].arguments}}
            << QStringList{"--to", "10.66.2.13-14", "--rate", "5",  "--watch", "1",
                           "-w",   "300",           "-f",     "tsv"}
            << 0
            << "appeared\tTIME\t" + three + "appeared\tTIME\t" + four + "gone\tTIME\t" + three +
                   "gone\tTIME\t" + four
            << ""
            << "" << 4 << SIGINT << 0;
        row("to: one address for two devices is still said",
            {far[1], {"dev3", raw("x|10.66.2.14||m9")}},
            {"--to", "10.66.2.13-14", "--rate", "5", "-f", "tsv"}, 0,
            "x\t10.66.2.14\t\tm9\t\t\t\n" + four,
            "orvane-find: warning: 10.66.2.14 (m9) shares its address with another device (m4)");
        // No route to 192.0.2.1: its request cannot be sent, the next one goes all the same.
        row("to: an address no route leads to", far,
            {"--to", "192.0.2.1", "--to", "10.66.2.13", "-f", "tsv"}, 0, three, "", 0);
        row("to: no request could be sent", {}, {"--to", "192.0.2.1-3"}, 1, "",
            "orvane-find: sendto failed with error code: 101\n");
        row("to: nobody at the targets", {}, {"--to", "10.66.2.20-21", "-w", "300"}, 0, "",
            "orvane-find: no device answered at the 2 address(es) asked. Where devices are, a "
            "firewall on this computer may drop their replies (from UDP port 49999 to a port the "
            "system chose), or one on the way drops the requests.\n");
        row("to: wider than a /16", {}, {"--to", "10.0.0.0/15"}, 2, "",
            "orvane-find: --to names more than 65536 addresses");
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
            {"-i", "lana", "--expect", list.fileName(), "-f", "csv"}, 3,
            "Check,Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware "
            "Version,Differences\r\n"
            "as expected,d-1,10.201.1.11,255.255.255.0,02:00:00:00:00:0A,P,S-1,2.4.1,\r\n"
            "differs,d-2,10.201.1.12,255.255.255.0,02:00:00:00:00:0B,P,S-2,2.4.1,\"Firmware "
            "Version: 2.4.1, expected 2.5.0\"\r\n"
            "unexpected,d-3,10.201.1.13,255.255.255.0,02:00:00:00:00:0C,P,S-3,2.4.1,\r\n"
            "missing,'=absent,,,02:00:00:00:00:01,,,1.0,\r\n",
            "orvane-find: 1 of 3 expected devices as expected; 1 differs, 1 missing; 1 "
            "unexpected\n");
        row("not listed", dev, {"-i", "eth9"}, 2, "",
            "orvane-find: No listed interface has the description, name or address 'eth9'.");
        row("version", {}, {"--version"}, 0, "orvane-find " ORVANE_VERSION "\n");
        // Netmask and addresses from the interface, serial and firmware by default.
        row("simulator: devices count up",
            {{"",
              {"--devices", "3", "--hostname", "d", "--mac", "02:00:00:00:00:FF", "--product",
               "P"}}},
            {"-i", "lo"}, 0,
            "d-1\t127.0.0.1\t255.0.0.0\t02:00:00:00:00:FF\tP\tSIM000001-1\t" ORVANE_VERSION "\n"
            "d-2\t127.0.0.2\t255.0.0.0\t02:00:00:00:01:00\tP\tSIM000001-2\t" ORVANE_VERSION "\n"
            "d-3\t127.0.0.3\t255.0.0.0\t02:00:00:00:01:01\tP\tSIM000001-3\t" ORVANE_VERSION "\n");
    }
    void run()
    {
        QFETCH(Devices, devices);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        QFETCH(QString, before);
        QFETCH(int, lines);
        QFETCH(int, signal);
        QFETCH(int, requests);
        std::list<Simulator> simulators;
        for (const Device &device : devices)
            QVERIFY(simulators.emplace_back(device.arguments, device.host).listening);
        if (!before.isEmpty())
            QCOMPARE(QProcess::execute("sh", {"-c", before}), 0);
        // Another build may stand in, e.g. ORVANE_FIND_COMMAND="wine64 orvane-find.exe".
        const QStringList command =
            QProcess::splitCommand(qEnvironmentVariable("ORVANE_FIND_COMMAND", ORVANE_FIND));
        QProcess find;
        find.start(command.value(0), command.mid(1) + arguments);

        QByteArray printed;
        if (signal) {
            QTRY_VERIFY_WITH_TIMEOUT((printed += find.readAllStandardOutput()).count('\n') >= lines,
                                     20000);
            // Ended already, it has no id: kill(0) would signal this whole process group.
            QVERIFY2(find.processId() > 0, "orvane-find ended before the signal");
            kill(pid_t(find.processId()), signal);
        }

        QVERIFY(find.waitForFinished(10000));
        printed += find.readAllStandardOutput();
        const QString shown = QString::fromUtf8(printed).replace(
            QRegularExpression(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[+-]\d\d:\d\d))"), "TIME");
        const QString complaint = QString::fromUtf8(find.readAllStandardError());
        QVERIFY2(errors.isEmpty() ? complaint.isEmpty() : complaint.startsWith(errors),
                 qPrintable(complaint));
        QCOMPARE(find.exitCode(), status);
        if (arguments.contains("json") && !arguments.contains("--watch"))
            QCOMPARE(QJsonDocument::fromJson(printed), QJsonDocument::fromJson(output.toUtf8()));
        else
            QCOMPARE(shown, output);
        for (Simulator &simulated : simulators) {
            if (requests && status == 0)
                QCOMPARE(simulated.lines("request ").size(), requests);
            if (simulated.process.arguments().contains("--requests"))
                QVERIFY((simulated.process.state() == QProcess::NotRunning ||
                         simulated.process.waitForFinished(5000)) &&
                        simulated.process.exitCode() == 0);
        }
    }

    // A sweep of more than a second: on a terminal a line counts it and is wiped before the
    // rows; in a pipe, standard error stays empty. A shorter sweep shows none.
    void sweepProgress()
    {
        Simulator three({"--hostname", "three", "--mac", "m3"}, "dev3");
        QVERIFY(three.listening);
        const QStringList sweep{"--to", "10.66.2.0/24", "--rate", "100", "-f", "tsv"};
        QProcess piped;
        piped.start(ORVANE_FIND, sweep);
        QVERIFY(piped.waitForFinished(20000));
        QCOMPARE(piped.readAllStandardError(), QByteArray());
        QCOMPARE(piped.readAllStandardOutput().left(6), "three\t");

        const auto onATerminal = [](const QStringList &arguments) {
            QProcess terminal;
            terminal.start(
                "script", {"-qfec", QString(ORVANE_FIND) + ' ' + arguments.join(' '), "/dev/null"});
            terminal.waitForFinished(20000);
            return QString::fromUtf8(terminal.readAllStandardOutput());
        };
        const QString seen = onATerminal(sweep);
        QStringList counts;
        QRegularExpressionMatchIterator lines =
            QRegularExpression(R"(\rorvane-find: sent (\d+) of 254 requests; devices heard: (\d+))")
                .globalMatch(seen);
        while (lines.hasNext()) {
            const QRegularExpressionMatch line = lines.next();
            counts << line.captured(1);
            QCOMPARE(line.captured(2), "1"); // three answered at once
        }
        QVERIFY2(counts.size() >= 3, qPrintable(seen));
        QVERIFY2(counts.last().toInt() > counts.first().toInt(), qPrintable(counts.join(' ')));
        QVERIFY2(QRegularExpression(R"(heard: 1 *\r {40,}\rthree\t10\.66\.2\.13\t)")
                     .match(seen)
                     .hasMatch(),
                 qPrintable(seen));
        const QString shortSweep = onATerminal({"--to", "10.66.2.0/24"});
        QVERIFY2(shortSweep.contains("three") && !shortSweep.contains("requests"),
                 qPrintable(shortSweep));
    }

    // lana's address goes for several rounds, then comes back as another: nobody goes meanwhile,
    // nobody comes again, and each change is told once. dev1 answers throughout.
    void watchAcrossAnOutage()
    {
        Simulator dev1({"--hostname", "a", "--mac", "02:00:00:00:00:0A", "--product", "P",
                        "--serial", "S", "--firmware", "F"},
                       "dev1");
        QVERIFY(dev1.listening);
        QProcess find;
        find.start(ORVANE_FIND, {"-i", "lana", "--watch", "1", "--wait", "300"});
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

        QVERIFY2(find.processId() > 0, "orvane-find ended before the signal");
        kill(pid_t(find.processId()), SIGINT);
        QVERIFY(find.waitForFinished(10000));
        seen("");
        QCOMPARE(find.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(printed).replace(QRegularExpression(R"(\d{4}-\d\d-\d\dT[^\t]*)"),
                                                    "TIME"),
                 "appeared\tTIME\ta\t10.201.1.11\t255.255.255.0\t02:00:00:00:00:0A\tP\tS\tF\n");
        QCOMPARE(QString::fromUtf8(told), "orvane-find: lana has no IPv4 address to search from.\n"
                                          "orvane-find: searching on lana works again, from "
                                          "10.201.1.7.\n");
    }

    // Searches that listen for 20 s, or sweep for 50, ended by Ctrl-C once the device has
    // answered: as if the quiet time had passed.
    void stopDuringALongQuietTime_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors");
        QTest::newRow("a watch: no round was complete")
            << QStringList{"--all", "--watch"} << 0 << ""
            << "";
        QTest::newRow("one search: what arrived")
            << QStringList{"-i", "lana"} << 0 << "a\t\t\t\t\t\t\n"
            << "orvane-find: warning: A device without an IP-Address";
        QTest::newRow("a sweep, while it sends: what arrived")
            << QStringList{"--to", "10.201.1.11-10.201.1.254", "--rate", "5"} << 0
            << "a\t\t\t\t\t\t\n"
            << "";
        QTest::newRow("wait for: as at its time-out, with what answered")
            << QStringList{"-i", "lana", "--wait-for", "serial=S"} << 1 << ""
            << "orvane-find: no reply with serial=S before the stop. 1 device answered: "
               "serial=''.\n";
    }
    void stopDuringALongQuietTime()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        Simulator dev1({"--raw", "61"}, "dev1");
        Simulator dev2({"--raw", "62"}, "dev2");
        QVERIFY(dev1.listening && dev2.listening);
        QProcess find;
        find.start(ORVANE_FIND, arguments + QStringList{"--wait", "20000"});
        QTRY_VERIFY(!dev1.lines("answered ").isEmpty());

        QElapsedTimer stopping;
        stopping.start();
        kill(pid_t(find.processId()), SIGINT);
        QVERIFY(find.waitForFinished(15000));
        QVERIFY2(stopping.elapsed() < 5000, qPrintable(QString::number(stopping.elapsed())));
        QCOMPARE(find.exitCode(), status);
        QCOMPARE(QString::fromUtf8(find.readAllStandardOutput()), output);
        QCOMPARE(QString::fromUtf8(find.readAllStandardError()).left(errors.size()), errors);
    }
};

QTEST_GUILESS_MAIN(TestOrvaneFind)
#include "tst_orvanefind.moc"
