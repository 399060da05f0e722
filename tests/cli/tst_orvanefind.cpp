#include "support/support.h"

#include <QJsonDocument>
#include <list>

// orvane-find and orvane-device-sim as processes in the test bed, a bridge of no address added.
class TestOrvaneFind : public QObject {
    Q_OBJECT

    // The datagrams UDP has handed to a socket on this host: replies that reached orvane-find.
    static qint64 deliveredDatagrams()
    {
        QFile snmp("/proc/net/snmp");
        snmp.open(QIODevice::ReadOnly); // the line of names, then the line of numbers
        const QStringList udp = QString(snmp.readAll()).split('\n').filter("Udp: ");
        return udp.value(1).section(' ', 1, 1).toLongLong();
    }

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QCOMPARE(QProcess::execute("ip", {"link", "add", "orvfind0", "type", "bridge"}), 0);
    }

    void cleanup() // what a fault broke
    {
        QProcess::execute("ip", {"link", "set", "lana", "up"});
        QProcess::execute("ip", {"addr", "replace", "10.201.1.1/24", "dev", "lana"});
    }

    void run_data()
    {
        // Simulators, " & " between them: "HOST: ARGUMENTS" on a device host, or on this one.
        QTest::addColumn<QString>("device");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors"); // how standard error begins
        QTest::addColumn<QString>("fault");  // "before: " or "while listening: ", ip's arguments
        const auto row = [](const char *name, const QString &device, const QStringList &arguments,
                            int status, const QString &output, const QString &errors = "",
                            const QString &fault = "") {
            QTest::newRow(name) << device << arguments << status << output << errors << fault;
        };
        // Fields that need each format's care, and an emoji of two code points in one column.
        const QString odd =
            "--raw " +
            QByteArray("dev \"1\", A|127.0.0.1|日本🚀🚀e\u0301|line1\nline2|x\ty|C:\\new\r|\x1b[0m")
                .toHex() +
            " --raw " + QByteArray("👍🏽|b").toHex();
        const QString dev = "--raw 646576", lanA = "dev1: --raw 61 --repeat 2 --interval 800";
        const QString fields = " --mac 02:00:00:00:00:01 --product P --serial S --firmware F";
        const QString answer = "a\t\t\t\t\t\t\n";

        row("tsv escapes", odd, {"-i", "lo", "-f", "tsv"}, 0,
            "dev \"1\", A\t127.0.0.1\t日本🚀🚀e\u0301\tline1\\nline2\tx\\ty\tC:\\\\new\\r\t\x1b[0m\n"
            "👍🏽\tb\t\t\t\t\t\n");
        row("csv quotes", odd, {"-i", "lo", "-f", "csv"}, 0,
            "Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware Version\r\n"
            "\"dev \"\"1\"\", A\",127.0.0.1,日本🚀🚀e\u0301,\"line1\nline2\",x\ty,\"C:\\new\r\","
            "\x1b[0m\r\n👍🏽,b,,,,,\r\n");
        row("table columns", odd, {"-i", "lo", "-f", "table"}, 0,
            "Hostname    IP-Address  Netmask    MAC-Address   Product Name  Serial No  "
            "Firmware Version\n"
            "----------  ----------  ---------  ------------  ------------  ---------  "
            "----------------\n"
            "dev \"1\", A  127.0.0.1   日本🚀🚀e\u0301  line1\\nline2  x\\ty          C:\\\\new\\r  "
            "\\x1b[0m\n"
            "👍🏽          b\n");
        row("json", dev, {"-i", "lo", "-f", "json"}, 0,
            R"([{"Hostname": "dev", "IP-Address": "", "Netmask": "", "MAC-Address": "",
                 "Product Name": "", "Serial No": "", "Firmware Version": ""}])");
        row("by name", dev, {"-i", "lo"}, 0, "dev\t\t\t\t\t\t\n");
        row("by address", dev, {"-i", "127.0.0.1"}, 0, "dev\t\t\t\t\t\t\n");
        row("by description", dev, {"-i", "lo (loopback)"}, 0, "dev\t\t\t\t\t\t\n");
        row("the last option counts", dev,
            {"-i", "orvfind0", "-f", "json", "-i", "lo", "-f", "tsv"}, 0, "dev\t\t\t\t\t\t\n");
        row("all: each LAN hears its own request, rows tagged",
            "dev1: --hostname one" + fields + " & dev2: --hostname two" + fields,
            {"--all", "-f", "tsv"}, 0,
            "one\t10.201.1.11\t255.255.255.0\t02:00:00:00:00:01\tP\tS\tF\tlana (Ethernet)\n"
            "two\t10.201.2.12\t255.255.255.0\t02:00:00:00:00:01\tP\tS\tF\tlanb (Ethernet)\n");
        // A link that is down keeps its address: the request goes nowhere.
        row("link down before the search", lanA, {"-i", "lana"}, 0, "", "",
            "before: link set lana down");
        row("address removed before the search", lanA, {"-i", "lana"}, 1, "",
            "sendto failed with error code: 101\n", "before: addr del 10.201.1.1/24 dev lana");
        // What came before the fault is listed; the later answer never arrives.
        row("link down while listening", lanA, {"-i", "lana"}, 0, answer, "",
            "while listening: link set lana down");
        row("address removed while listening", lanA, {"-i", "lana"}, 0, answer, "",
            "while listening: addr del 10.201.1.1/24 dev lana");
        row("after the faults, the same interface as ever", lanA, {"-i", "lana"}, 0,
            answer + answer);
        row("nobody answers", "", {"-i", "lo"}, 0, "");
        row("wait ends the search sooner", "--raw 61 --repeat 2 --interval 600",
            {"-i", "lo", "--wait", "300"}, 0, answer);
        row("list interfaces", "", {"--list-interfaces"}, 0,
            "lo (loopback)\t127.0.0.1\nlana (Ethernet)\t10.201.1.1\nlanb (Ethernet)\t10.201.2.1\n"
            "orvfind0 (Ethernet, bridge)\t0.0.0.0\n");
        row("several listed, none chosen", dev, {}, 2, "",
            "orvane-find: Several interfaces are listed: choose one with --interface, or search "
            "on all with --all.\n  lo (loopback)  127.0.0.1\n");
        row("a wait that never ends", dev, {"-i", "lo", "-w", "0"}, 2, "", "orvane-find: --wait");
        row("not listed", dev, {"-i", "eth9"}, 2, "",
            "orvane-find: No listed interface has the description, name or address 'eth9'.");
        // Netmask and addresses from the interface, serial and firmware by default.
        row("simulator: devices count up",
            "--devices 3 --hostname d --mac 02:00:00:00:00:FF --product P", {"-i", "lo"}, 0,
            "d-1\t127.0.0.1\t255.0.0.0\t02:00:00:00:00:FF\tP\tSIM000001-1\t0.0.1\n"
            "d-2\t127.0.0.2\t255.0.0.0\t02:00:00:00:01:00\tP\tSIM000001-2\t0.0.1\n"
            "d-3\t127.0.0.3\t255.0.0.0\t02:00:00:00:01:01\tP\tSIM000001-3\t0.0.1\n");
        row("simulator: ends after the requests it was asked to answer", "--requests 1 --raw 61",
            {"-i", "lo"}, 0, answer);
    }
    void run()
    {
        QFETCH(QString, device);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        QFETCH(QString, fault);
        std::list<Simulator> devices;
        for (const QString &simulator : device.split(" & ", Qt::SkipEmptyParts)) {
            const QString host = simulator.contains(": ") ? simulator.section(": ", 0, 0) : "";
            QVERIFY(devices.emplace_back(simulator.section(": ", -1).split(' '), host).listening);
        }
        const QStringList ip = fault.section(": ", 1).split(' ');
        QProcess find;
        const qint64 delivered = deliveredDatagrams();

        if (fault.startsWith("before: "))
            QCOMPARE(QProcess::execute("ip", ip), 0);
        find.start(ORVANE_FIND, arguments);
        if (fault.startsWith("while listening: ")) {
            QTRY_VERIFY(deliveredDatagrams() > delivered); // the first answer is in

            QCOMPARE(QProcess::execute("ip", ip), 0);
        }

        QVERIFY(find.waitForFinished(10000));
        const QByteArray printed = find.readAllStandardOutput();
        const QString complaint = QString::fromUtf8(find.readAllStandardError());
        QVERIFY2(errors.isEmpty() ? complaint.isEmpty() : complaint.startsWith(errors),
                 qPrintable(complaint));
        QCOMPARE(find.exitCode(), status);
        if (arguments.contains("json"))
            QCOMPARE(QJsonDocument::fromJson(printed), QJsonDocument::fromJson(output.toUtf8()));
        else
            QCOMPARE(QString::fromUtf8(printed), output);
        for (Simulator &simulated : devices) {
            if (status == 0 && fault.isEmpty())
                QCOMPARE(simulated.lines("request ").size(), 1);
            if (device.contains("--requests"))
                QVERIFY(simulated.process.waitForFinished(5000) &&
                        simulated.process.exitCode() == 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestOrvaneFind)
#include "tst_orvanefind.moc"
