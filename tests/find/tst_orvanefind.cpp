#include "discovery/devicewatch.h"
#include "discovery/interfacechoice.h"
#include "support/support.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <csignal>
#include <list>

// Once `awaited` shows in what orvane-find printed (at once where it is empty, before orvane-find
// starts), heldMs pass and ip runs with these arguments.
struct NetworkChange {
    QString awaited;
    int heldMs;
    QStringList ip;
};
using NetworkChanges = QVector<NetworkChange>;
Q_DECLARE_METATYPE(NetworkChanges)

using Interfaces = QVector<NetworkInterface>;
Q_DECLARE_METATYPE(Interfaces)

using Rounds = QVector<QStringList>; // per search, its replies with "|" between fields
Q_DECLARE_METATYPE(Rounds)

// A simulator on a device host of the test bed ("dev1"), or on this one ("").
struct Device {
    QString host;
    QStringList arguments;
};
using Devices = QVector<Device>;
Q_DECLARE_METATYPE(Devices)

// orvane-find and orvane-device-sim as processes in the test bed, a bridge of no address added.
class TestOrvaneFind : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QCOMPARE(QProcess::execute("ip", {"link", "add", "orvfind0", "type", "bridge"}), 0);
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
            return QStringList{"--raw", reply.toHex()};
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
        const QString nothingHeard = "orvane-find: no device answered on %1. Where devices are, a "
                                     "firewall on this computer may drop their replies (from UDP "
                                     "port 49999 to a port the system chose), or they are on "
                                     "another network segment.\n";

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
        row("by address", dev, {"-i", "127.0.0.1"}, 0, "dev\t\t\t\t\t\t\n", noAddress);
        row("by description", dev, {"-i", "lo (loopback)"}, 0, "dev\t\t\t\t\t\t\n", noAddress);
        const QStringList fields{"--mac", "02:00:00:00:00:01", "--product", "P", "--serial",
                                 "S",     "--firmware",        "F"};
        row("all: each LAN hears its own request, rows tagged",
            {{"dev1", QStringList{"--hostname", "one"} + fields},
             {"dev2", QStringList{"--hostname", "two"} + fields}},
            {"--all", "-f", "tsv"}, 0,
            "one\t10.201.1.11\t255.255.255.0\t02:00:00:00:00:01\tP\tS\tF\tlana (Ethernet)\n"
            "two\t10.201.2.12\t255.255.255.0\t02:00:00:00:00:01\tP\tS\tF\tlanb (Ethernet)\n");
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
        QTest::newRow("address removed before the search")
            << lanA << QStringList{"-i", "lana"} << 1 << ""
            << "orvane-find: lana has no IPv4 address to search from.\n"
            << "ip addr del 10.201.1.1/24 dev lana" << 0 << 0 << 0;
        row("nobody answers", {}, {"-i", "lana"}, 0, "", nothingHeard.arg("lana"));
        // A rule of this computer's firewall that drops the request fails the send (EPERM).
        QTest::newRow("the request dropped by a firewall here")
            << Devices() << QStringList{"-i", "lana"} << 1 << ""
            << "orvane-find: lana: sendto failed with error code: 1\n"
            << "nft add table ip t && "
               "nft add chain ip t out '{ type filter hook output priority 0; }' && "
               "nft add rule ip t out udp dport 49999 drop"
            << 0 << 0 << 0;
        row("nobody answers on loopback: no hint", {}, {"-i", "lo"}, 0, "", "");
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
        row("wait for a device that never comes", {{"dev1", raw("dev")}},
            {"-i", "lana", "--wait-for", "serial=A-2", "--wait-for", "hostname=DEV", "--timeout",
             "1"},
            1, "",
            "orvane-find: no reply with serial=A-2 and hostname=DEV within 1 s. 1 device "
            "answered: serial='' hostname='dev'.\n");
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
        // a answers twice, b from the second search on, c moves from .7 to .8 at the second.
        const auto answering = [&raw](QStringList arguments, const QByteArray &reply) {
            return Device{"", arguments + raw(reply)};
        };
        QTest::newRow("watch: appeared, changed, gone")
            << Devices{answering({"--requests", "2"}, "a|127.0.0.5||m1"),
                       answering({"--ignore", "1", "--delay", "100"}, "b|127.0.0.6||m2"),
                       answering({"--requests", "1", "--delay", "200"}, "c|127.0.0.7||m3"),
                       answering({"--ignore", "1", "--delay", "200"}, "c|127.0.0.8||m3")}
            << QStringList{"-i", "lo", "--watch", "1", "--wait", "500"} << 0
            << "appeared\tTIME\ta\t127.0.0.5\t\tm1\t\t\t\n"
               "appeared\tTIME\tc\t127.0.0.7\t\tm3\t\t\t\n"
               "appeared\tTIME\tb\t127.0.0.6\t\tm2\t\t\t\n"
               "changed\tTIME\tc\t127.0.0.8\t\tm3\t\t\t\n"
               "gone\tTIME\ta\t127.0.0.5\t\tm1\t\t\t\n"
            << ""
            << "" << 5 << SIGINT << 0;
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
            << Devices{{"", QStringList{"--requests", "1"} + raw("e|10.0.0.7||m7")}}
            << QStringList{"-i", "lo", "--watch", "1", "-w", "300", "-f", "csv"} << 0
            << "Event,Time,Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware "
               "Version\r\nappeared,TIME,e,10.0.0.7,,m7,,,\r\ngone,TIME,e,10.0.0.7,,m7,,,\r\n"
            << "orvane-find: warning: 10.0.0.7 (m7)"
            << "" << 3 << SIGINT << 0;
        QTest::newRow("list interfaces, each by its first address")
            << Devices() << QStringList{"--list-interfaces"} << 0
            << "lo (loopback)\t127.0.0.1\nlana (Ethernet)\t10.201.1.1\n"
               "lanb (Ethernet)\t10.201.2.1\norvfind0 (Ethernet, bridge)\t0.0.0.0\n"
            << ""
            << "ip addr add 10.201.1.99/24 dev lana" << 0 << 0 << 0;
        row("several listed, none chosen", dev, {}, 2, "",
            "orvane-find: Several interfaces are listed: choose one with --interface, or search "
            "on all with --all.\n  lo (loopback)  127.0.0.1\n");
        row("not listed", dev, {"-i", "eth9"}, 2, "",
            "orvane-find: No listed interface has the description, name or address 'eth9'.");
        // Netmask and addresses from the interface, serial and firmware by default.
        row("simulator: devices count up",
            {{"",
              {"--devices", "3", "--hostname", "d", "--mac", "02:00:00:00:00:FF", "--product",
               "P"}}},
            {"-i", "lo"}, 0,
            "d-1\t127.0.0.1\t255.0.0.0\t02:00:00:00:00:FF\tP\tSIM000001-1\t0.0.1\n"
            "d-2\t127.0.0.2\t255.0.0.0\t02:00:00:00:01:00\tP\tSIM000001-2\t0.0.1\n"
            "d-3\t127.0.0.3\t255.0.0.0\t02:00:00:00:01:01\tP\tSIM000001-3\t0.0.1\n");
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

    // The network changes under a watch; the device hosts answer throughout.
    void watchAcrossNetworkChanges_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<NetworkChanges>("changes");
        // Once the changes are done: the device host that hears two requests from this address.
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("told"); // on standard error: each change once
        const QStringList lanADown{"addr", "del", "10.201.1.1/24", "dev", "lana"};
        const QStringList lanBDown{"addr", "del", "10.201.2.1/24", "dev", "lanb"};
        const QStringList lanBUp{"addr", "add", "10.201.2.1/24", "dev", "lanb"};
        const QString a =
            "appeared\tTIME\ta\t10.201.1.11\t255.255.255.0\t02:00:00:00:00:0A\tP\tS\tF";
        const QString b =
            "appeared\tTIME\tb\t10.201.2.12\t255.255.255.0\t02:00:00:00:00:0B\tP\tS\tF";
        // Three rounds and more without a search: nobody goes, nobody comes again.
        QTest::newRow("an outage of several rounds, then a new address")
            << QStringList{"-i", "lana"}
            << NetworkChanges{{"appeared", 0, lanADown},
                              {"lana has no IPv4 address to search from.",
                               3500,
                               {"addr", "add", "10.201.1.7/24", "dev", "lana"}}}
            << "dev1"
            << "10.201.1.7" << a + '\n'
            << "orvane-find: lana has no IPv4 address to search from.\n"
               "orvane-find: searching on lana works again, from 10.201.1.7.\n";
        QTest::newRow("all: an interface that gets its address later")
            << QStringList{"--all"} << NetworkChanges{{"", 0, lanBDown}, {"appeared", 0, lanBUp}}
            << "dev2"
            << "10.201.2.1" << a + "\tlana (Ethernet)\n" + b + "\tlanb (Ethernet)\n"
            << "orvane-find: searching on lanb too, from 10.201.2.1.\n";
        QTest::newRow("all: an interface left out for several rounds")
            << QStringList{"--all"}
            << NetworkChanges{{"lanb (Ethernet)\n", 0, lanBDown},
                              {"no longer searching on lanb", 3500, lanBUp}}
            << "dev2"
            << "10.201.2.1" << a + "\tlana (Ethernet)\n" + b + "\tlanb (Ethernet)\n"
            << "orvane-find: no longer searching on lanb: it has no IPv4 address now.\n"
               "orvane-find: searching on lanb too, from 10.201.2.1.\n";
    }
    void watchAcrossNetworkChanges()
    {
        QFETCH(QStringList, arguments);
        QFETCH(NetworkChanges, changes);
        QFETCH(QString, host);
        QFETCH(QString, from);
        QFETCH(QString, output);
        QFETCH(QString, told);
        const QStringList fields{"--product", "P", "--serial", "S", "--firmware", "F"};
        Simulator dev1(QStringList{"--hostname", "a", "--mac", "02:00:00:00:00:0A"} + fields,
                       "dev1");
        Simulator dev2(QStringList{"--hostname", "b", "--mac", "02:00:00:00:00:0B"} + fields,
                       "dev2");
        QVERIFY(dev1.listening && dev2.listening);
        QProcess find;
        QByteArray printed;
        QByteArray complaint;
        const auto all = [&] {
            printed += find.readAllStandardOutput();
            complaint += find.readAllStandardError();
            return printed + complaint;
        };
        for (const NetworkChange &change : changes) {
            if (!change.awaited.isEmpty() && find.state() == QProcess::NotRunning)
                find.start(ORVANE_FIND, arguments + QStringList{"--watch", "1", "--wait", "300"});
            if (!change.awaited.isEmpty())
                QTRY_VERIFY_WITH_TIMEOUT(all().contains(change.awaited.toUtf8()), 20000);
            QTest::qWait(change.heldMs); // rounds go by while the network stays so
            QCOMPARE(QProcess::execute("ip", change.ip), 0);
        }
        Simulator &heard = host == "dev1" ? dev1 : dev2;
        QTRY_VERIFY_WITH_TIMEOUT(heard.lines("request " + from + ':').size() >= 2, 20000);

        QVERIFY2(find.processId() > 0, "orvane-find ended before the signal");
        kill(pid_t(find.processId()), SIGINT);
        QVERIFY(find.waitForFinished(10000));
        all();
        QCOMPARE(find.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(printed).replace(QRegularExpression(R"(\d{4}-\d\d-\d\dT[^\t]*)"),
                                                    "TIME"),
                 output);
        QCOMPARE(QString::fromUtf8(complaint), told);
    }

    // Each interface's search listens for 20 s; the signal ends them all.
    void stopDuringALongQuietTime()
    {
        Simulator dev1({"--raw", "61"}, "dev1");
        Simulator dev2({"--raw", "62"}, "dev2");
        QVERIFY(dev1.listening && dev2.listening);
        QProcess find;
        find.start(ORVANE_FIND, {"--all", "--watch", "--wait", "20000"});
        QTRY_VERIFY(!dev1.lines("request ").isEmpty() && !dev2.lines("request ").isEmpty());

        QElapsedTimer stopping;
        stopping.start();
        kill(pid_t(find.processId()), SIGINT);
        QVERIFY(find.waitForFinished(15000));
        QVERIFY2(stopping.elapsed() < 5000, qPrintable(QString::number(stopping.elapsed())));
        QCOMPARE(find.exitCode(), 0);
        QCOMPARE(find.readAllStandardOutput(), QByteArray()); // no round was complete
    }

    // What a watch tells of each search: untagged rows, each search complete.
    void watchEvents_data()
    {
        QTest::addColumn<Rounds>("rounds");
        QTest::addColumn<QStringList>("events"); // per search, its events "; " between them
        QTest::newRow("gone from the second search missed in a row")
            << Rounds{{"a|1||m1", "b|2||m2"}, {"b|2||m2"}, {}, {}}
            << QStringList{"appeared a|1||m1; appeared b|2||m2", "", "gone a|1||m1",
                           "gone b|2||m2"};
        QTest::newRow("a search missed, then answered: missed no more")
            << Rounds{{"a|1||m1"}, {}, {"a|1||m1"}, {}, {"a|1||m1"}}
            << QStringList{"appeared a|1||m1", "", "", "", ""};
        QTest::newRow("the first of a device's answers counts; its MAC in another case")
            << Rounds{{"a|1||m1", "a|2||m1"}, {"a|1||M1", "b|3"}, {"b|3", "b|3|x"}}
            << QStringList{"appeared a|1||m1", "changed a|1||M1; appeared b|3", "appeared b|3|x"};
    }
    void watchEvents()
    {
        QFETCH(Rounds, rounds);
        QFETCH(QStringList, events);
        DeviceWatch watch;
        QStringList told;
        for (const QStringList &replies : rounds) {
            DeviceTable found;
            for (const QString &reply : replies)
                found.rows << reply.split('|');
            QStringList said;
            for (const DeviceWatch::Event &event : watch.update(found, {""}))
                said << event.kind + ' ' + event.row.join('|');
            told << said.join("; ");
        }
        QCOMPARE(told, events);
    }

    // Which interfaces a search runs on, from what the system lists.
    void interfaceChoice_data()
    {
        QTest::addColumn<Interfaces>("listed");
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("chosen"); // descriptions, or the start of why none
        const NetworkInterface lo{"lo (loopback)", "127.0.0.1", "255.0.0.0"};
        const NetworkInterface eth0{"eth0 (Ethernet)", "10.0.0.5", "255.255.255.0"};
        const NetworkInterface wlan0{"wlan0 (wireless)", "10.0.1.5", "255.255.255.0"};
        const NetworkInterface down{"eth1 (Ethernet)", "10.0.2.5", "255.255.255.0", 3, false};
        const NetworkInterface bare{"eth2 (Ethernet)", "0.0.0.0", "0.0.0.0"};
        const QString several = "Several interfaces are listed";
        QTest::newRow("loopback and one card: the card")
            << Interfaces{lo, eth0} << "" << false << QStringList{"eth0 (Ethernet)"};
        QTest::newRow("loopback alone")
            << Interfaces{lo} << "" << false << QStringList{"lo (loopback)"};
        QTest::newRow("loopback and two cards")
            << Interfaces{lo, eth0, wlan0} << "" << false << QStringList{several};
        QTest::newRow("loopback by name")
            << Interfaces{lo, eth0} << "lo" << false << QStringList{"lo (loopback)"};
        QTest::newRow("all: with an address and a link that is up")
            << Interfaces{lo, down, bare, eth0} << "" << true
            << QStringList{"lo (loopback)", "eth0 (Ethernet)"};
        QTest::newRow("nothing listed")
            << Interfaces{} << "" << false << QStringList{"No network interface is listed"};
        const NetworkInterface bridge{"eth0 (Ethernet, bridge)", "10.0.3.5", "255.255.255.0"};
        QTest::newRow("a name of two")
            << Interfaces{eth0, bridge} << "eth0" << false
            << QStringList{"'eth0' names more than one interface; give its address:\n"
                           "  eth0 (Ethernet)  10.0.0.5\n  eth0 (Ethernet, bridge)  10.0.3.5"};
        QTest::newRow("all: none up with an address")
            << Interfaces{down, bare} << "" << true << QStringList{"No listed interface"};
    }
    void interfaceChoice()
    {
        QFETCH(Interfaces, listed);
        QFETCH(QString, named);
        QFETCH(bool, all);
        QFETCH(QStringList, chosen);
        const auto choice = chooseInterfaces(
            listed, named.isEmpty() ? std::nullopt : std::optional<QString>(named), all);
        QStringList result;
        if (const auto *why = std::get_if<QString>(&choice))
            result << why->left(chosen.value(0).size());
        else
            for (const NetworkInterface &interface : std::get<Interfaces>(choice))
                result << interface.description;
        QCOMPARE(result, chosen);
    }

    // Either tool on its own, ended by its command line alone.
    void usage_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // how standard output begins
        QTest::addColumn<QString>("errors"); // without the line that points to --help
        const QString find = ORVANE_FIND, simulator = ORVANE_DEVICE_SIM;
        const auto refused = [](const char *name, const QString &program,
                                const QStringList &arguments, const QString &message) {
            QTest::newRow(name) << program << arguments << 2 << "" << message;
        };
        QTest::newRow("orvane-find: help of any kind, no search")
            << find << QStringList{"-i", "lo", "--help-all"} << 0 << "Usage: "
            << "";
        QTest::newRow("orvane-find: help") << find << QStringList{"--help"} << 0 << "Usage: "
                                           << "";
        QTest::newRow("orvane-find: version")
            << find << QStringList{"-i", "lo", "--version"} << 0 << "orvane-find 0.0.1\n"
            << "";
        QTest::newRow("simulator: help of any kind, not listening")
            << simulator << QStringList{"--help-all"} << 0 << "Usage: "
            << "";
        QTest::newRow("simulator: version")
            << simulator << QStringList{"--version"} << 0 << "orvane-device-sim 0.0.1\n"
            << "";
        refused("orvane-find: a number beyond its limit", find, {"-w", "3600001"},
                "--wait takes a whole number of milliseconds from 1 to 3600000, not '3600001'.");
        refused("orvane-find: a wait that never ends", find, {"-w", "0"},
                "--wait takes a whole number of milliseconds from 1 to 3600000, not '0'.");
        refused("orvane-find: a number with a sign", find, {"-w", "+300"},
                "--wait takes a whole number of milliseconds from 1 to 3600000, not '+300'.");
        refused("orvane-find: a number with a blank", find, {"--watch", " 5"},
                "--watch takes a whole number of seconds from 1 to 86400, not ' 5'.");
        refused("orvane-find: an unknown format", find, {"-f", "xml"},
                "Unknown format 'xml': choose table, csv, json or tsv.");
        refused("orvane-find: interface and all", find, {"-i", "lo", "--all"},
                "Give either --interface or --all, not both.");
        refused("orvane-find: an unexpected argument", find, {"-i", "lo", "eth0"},
                "Unexpected argument 'eth0'.");
        refused("orvane-find: a time-out without a wait", find, {"--timeout", "5"},
                "--timeout goes with --wait-for.");
        refused("orvane-find: wait for without =", find, {"--wait-for", "serial"},
                "--wait-for takes FIELD=VALUE with FIELD one of hostname, ip, netmask, mac, "
                "product, serial, firmware, not 'serial'.");
        refused("orvane-find: wait for an unknown field", find, {"--wait-for", "colour=red"},
                "--wait-for takes FIELD=VALUE with FIELD one of hostname, ip, netmask, mac, "
                "product, serial, firmware, not 'colour=red'.");
        refused("orvane-find: watch and wait for", find, {"--watch", "--wait-for", "ip=1"},
                "Give either --watch or --wait-for, not both.");
        refused("simulator: a number beyond its limit", simulator, {"--port", "65536"},
                "--port takes a whole number from 1 to 65535, not '65536'.");
        // It would shift every later field of the reply.
        refused("simulator: a field with |", simulator, {"--hostname", "a|b"},
                "--hostname cannot hold '|', which separates a reply's fields (--raw sends any "
                "bytes).");
        refused("simulator: no address to listen on", simulator, {"--listen", "nowhere"},
                "--listen takes an IPv4 address, not 'nowhere'.");
        refused("simulator: an odd number of hex digits", simulator, {"--raw", "616"},
                "--raw takes pairs of hex digits (at most 65507 bytes), not '616'.");
    }
    void usage()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        QProcess tool;
        tool.start(program, arguments);
        QVERIFY2(tool.waitForFinished(10000), "still running: it searched or listened");
        QCOMPARE(tool.exitCode(), status);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()).left(output.size()), output);
        const QString name = QFileInfo(program).fileName();
        QCOMPARE(QString::fromUtf8(tool.readAllStandardError()),
                 errors.isEmpty()
                     ? ""
                     : QStringLiteral("%1: %2\nTry '%1 --help' for more.\n").arg(name, errors));
    }
};

QTEST_GUILESS_MAIN(TestOrvaneFind)
#include "tst_orvanefind.moc"
