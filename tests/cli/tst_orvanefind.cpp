#include "support/support.h"

#include <QJsonDocument>
#include <optional>

// The built orvane-find and orvane-device-sim, run as processes inside this
// test's private network namespace: loopback and a bridge without an address.
class TestOrvaneFind : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QCOMPARE(QProcess::execute("ip", {"link", "add", "orvfind0", "type", "bridge"}), 0);
    }

    void run_data()
    {
        QTest::addColumn<QStringList>("device"); // the simulator's arguments; none: no device
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors"); // how standard error begins
        // Fields that need each format's care, and a reply of one field.
        const QStringList odd{
            "--raw",
            QByteArray("dev \"1\", A|127.0.0.1|日本🚀🚀e\u0301|line1\nline2|x\ty|C:\\new\r|\x1b[0m")
                .toHex(),
            "--raw", QByteArray("b").toHex()};
        const QStringList dev{"--raw", QByteArray("dev").toHex()};
        const QString several =
            "orvane-find: Several interfaces are listed: choose one with "
            "--interface, or search on all with --all.\n"
            "  lo (loopback)  127.0.0.1\n  orvfind0 (Ethernet, bridge)  0.0.0.0\n";

        QTest::newRow("tsv escapes") << odd << QStringList{"-i", "lo", "-f", "tsv"} << 0
                                     << "dev \"1\", A\t127.0.0.1\t日本🚀🚀e\u0301\tline1\\nline2\t"
                                        "x\\ty\tC:\\\\new\\r\t\x1b[0m\nb\t\t\t\t\t\t\n"
                                     << "";
        QTest::newRow("csv quotes") << odd << QStringList{"-i", "lo", "-f", "csv"} << 0
                                    << "Hostname,IP-Address,Netmask,MAC-Address,Product Name,"
                                       "Serial No,Firmware Version\r\n\"dev \"\"1\"\", A\","
                                       "127.0.0.1,日本🚀🚀e\u0301,\"line1\nline2\",x\ty,"
                                       "\"C:\\new\r\",\x1b[0m\r\nb,,,,,,\r\n"
                                    << "";
        QTest::newRow("table columns") << odd << QStringList{"-i", "lo", "-f", "table"} << 0
                                       << "Hostname    IP-Address  Netmask    MAC-Address   "
                                          "Product Name  Serial No  Firmware Version\n"
                                          "----------  ----------  ---------  ------------  "
                                          "------------  ---------  ----------------\n"
                                          "dev \"1\", A  127.0.0.1   日本🚀🚀e\u0301  "
                                          "line1\\nline2  x\\ty          C:\\\\new\\r  \\x1b[0m\n"
                                          "b\n"
                                       << "";
        QTest::newRow("json")
            << odd << QStringList{"-i", "lo", "-f", "json"} << 0
            << "[{\"Hostname\": \"dev \\\"1\\\", A\", \"IP-Address\": \"127.0.0.1\","
               "\"Netmask\": \"日本🚀🚀e\\u0301\", \"MAC-Address\": \"line1\\nline2\","
               "\"Product Name\": \"x\\ty\", \"Serial No\": \"C:\\\\new\\r\","
               "\"Firmware Version\": \"\\u001b[0m\"},"
               "{\"Hostname\": \"b\", \"IP-Address\": \"\", \"Netmask\": \"\","
               "\"MAC-Address\": \"\", \"Product Name\": \"\", \"Serial No\": \"\","
               "\"Firmware Version\": \"\"}]"
            << "";
        QTest::newRow("by name") << dev << QStringList{"-i", "lo"} << 0 << "dev\t\t\t\t\t\t\n"
                                 << "";
        QTest::newRow("by address")
            << dev << QStringList{"-i", "127.0.0.1"} << 0 << "dev\t\t\t\t\t\t\n"
            << "";
        QTest::newRow("by description")
            << dev << QStringList{"-i", "lo (loopback)"} << 0 << "dev\t\t\t\t\t\t\n"
            << "";
        QTest::newRow("all leaves out interfaces without an address")
            << dev << QStringList{"--all"} << 0 << "dev\t\t\t\t\t\t\tlo (loopback)\n"
            << "";
        QTest::newRow("nobody answers") << QStringList{} << QStringList{"-i", "lo"} << 0 << ""
                                        << "";
        QTest::newRow("wait ends the search sooner")
            << QStringList{"--raw", "61", "--repeat", "2", "--interval", "600"}
            << QStringList{"-i", "lo", "--wait", "300"} << 0 << "a\t\t\t\t\t\t\n"
            << "";
        QTest::newRow("list interfaces") << QStringList{} << QStringList{"--list-interfaces"} << 0
                                         << "lo (loopback)\t127.0.0.1\n"
                                            "orvfind0 (Ethernet, bridge)\t0.0.0.0\n"
                                         << "";
        QTest::newRow("several listed, none chosen") << dev << QStringList{} << 2 << "" << several;
        QTest::newRow("not listed") << dev << QStringList{"-i", "eth9"} << 2 << ""
                                    << "orvane-find: No listed interface has the description, "
                                       "name or address 'eth9'.";
        QTest::newRow("unknown option") << dev << QStringList{"--bogus"} << 2 << ""
                                        << "orvane-find: ";
        QTest::newRow("search fails")
            << dev << QStringList{"-i", "orvfind0"} << 1 << ""
            << "sendto failed with error code: 101\n"; // no route from the any-address
        QTest::newRow("simulator: fields from the interface")
            << QStringList{"--hostname", "h", "--product", "P", "--serial", "S", "--firmware", "F"}
            << QStringList{"-i", "lo"} << 0
            << "h\t127.0.0.1\t255.0.0.0\t00:00:00:00:00:00\tP\tS\tF\n"
            << "";
        QTest::newRow("simulator: devices count up")
            << QStringList{"--devices", "3",          "--hostname", "d",
                           "--ip",      "10.0.0.254", "--mac",      "02:00:00:00:00:FF",
                           "--netmask", "m",          "--product",  "P",
                           "--serial",  "S",          "--firmware", "F"}
            << QStringList{"-i", "lo"} << 0
            << "d-1\t10.0.0.254\tm\t02:00:00:00:00:FF\tP\tS-1\tF\n"
               "d-2\t10.0.0.255\tm\t02:00:00:00:01:00\tP\tS-2\tF\n"
               "d-3\t10.0.1.0\tm\t02:00:00:00:01:01\tP\tS-3\tF\n"
            << "";
        QTest::newRow("simulator: ends after the requests it was asked to answer")
            << QStringList{"--requests", "1", "--raw", "61"} << QStringList{"-i", "lo"} << 0
            << "a\t\t\t\t\t\t\n"
            << "";
    }
    void run()
    {
        QFETCH(QStringList, device);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        std::optional<Simulator> simulator;
        if (!device.isEmpty())
            QVERIFY(simulator.emplace(device).isListening());
        QProcess find;

        find.start(ORVANE_FIND, arguments);

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
        if (simulator && status == 0)
            QCOMPARE(simulator->lines("request ").size(), 1);
        if (device.contains("--requests"))
            QVERIFY(simulator->process.waitForFinished(5000) && simulator->process.exitCode() == 0);
    }
};

QTEST_GUILESS_MAIN(TestOrvaneFind)
#include "tst_orvanefind.moc"
