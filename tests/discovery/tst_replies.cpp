#include "discovery/devicetable.h"
#include "discovery/replyjudgement.h"

#include <QtTest>

// A datagram's reply text, its record, the order of records by a field, and what the replies of
// a search tell of reaching them.
class TestReplies : public QObject {
    Q_OBJECT

private slots:
    void split_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("fields"); // joined by "|"
        QTest::newRow("an empty field, a bar after the seventh")
            << QByteArray("a||c|d|e|f|g|") << "a||c|d|e|f|g";
        QTest::newRow("nine fields: the first seven")
            << QByteArray("1|2|3|4|5|6|7|8|9") << "1|2|3|4|5|6|7";
        QTest::newRow("three fields: the rest empty")
            << QByteArray("h|10.0.0.9|255.255.255.0") << "h|10.0.0.9|255.255.255.0||||";
        QTest::newRow("empty") << QByteArray() << "||||||";
        QTest::newRow("a zero byte ends the text") << QByteArray("abcde\0|x", 8) << "abcde||||||";
        QTest::newRow("UTF-8, and what is none")
            << QByteArray::fromHex("4dc3bc6c6c65727c61ff62") << "Müller|a\ufffdb|||||";
        QTest::newRow("blanks and line ends as they came")
            << QByteArray(" h \r\n|\t1 ") << " h \r\n|\t1 |||||";
    }
    void split()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, fields);
        const QVector<DeviceRecord> records = deviceRecords(
            {discovery::replyText(datagram.constData(), std::size_t(datagram.size()))});
        QCOMPARE(QStringList(records[0].fields.begin(), records[0].fields.end()).join('|'), fields);
    }

    // The order a header's click sorts in: addresses by number, everything else as text.
    void sortOrder_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("aFirst");
        const auto row = [](const char *name, int field, const QString &a, const QString &b,
                            bool aFirst) { QTest::newRow(name) << field << a << b << aFirst; };
        const int address = DeviceRecord::IpAddressField, mask = DeviceRecord::NetmaskField;
        row("addresses by number", address, "10.88.1.9", "10.88.1.10", true);
        row("netmasks by number", mask, "255.255.255.128", "255.255.255.64", false);
        row("an address before what is none", address, "10.0.0.1", "x", true);
        row("no addresses: as text, without regard to case", address, "b", "C", true);
        row("a hostname like an address: as text", 0, "10.0.0.10", "10.0.0.9", true);
    }
    void sortOrder()
    {
        QFETCH(int, field);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, aFirst);
        QCOMPARE(fieldLess(field, a, b), aFirst);
    }

    void judged_data()
    {
        // The interface as "DESCRIPTION|ADDRESS|NETMASK"; per reply its warnings, " / " between.
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<QStringList>("warnings");
        const QString lan = "lanA0 (Ethernet)|10.88.1.5|255.255.255.0";
        const QString out = " is not in 10.88.1.0/24 (lanA0): its page may not open from this "
                            "computer";
        const QString shared = " shares its address with %1: its page may be another device's";
        // The way to reach a device on lanA0, by its address to take: "10.88.2.254/24".
        const auto reach = [](const QString &take) {
            return QString(".\nTo reach it, add the address %1 to lanA0 for a while, with "
                           "administrator rights:\n  ip address add %1 dev lanA0\nand remove it "
                           "afterwards:\n  ip address del %1 dev lanA0")
                .arg(take);
        };
        const auto row = [](const char *name, const QString &interface, const QStringList &replies,
                            const QStringList &warnings) {
            QTest::newRow(name) << interface << replies << warnings;
        };
        row("inside, to the subnet's edges", lan,
            {"a|10.88.1.7|||", "b|10.88.1.0", "c|10.88.1.255|x|02:00:00:00:00:03"}, {"", "", ""});
        row("outside, just past the edges", lan,
            {"a|10.88.0.255|m|02:00:00:00:00:07", "b|10.88.2.0"},
            {"10.88.0.255 (02:00:00:00:00:07)" + out, "10.88.2.0" + out});
        row("outside with a netmask: the highest host address of its subnet to take", lan,
            {"a|10.88.2.7|255.255.255.0|m1", "b|172.20.7.7|255.240.0.0"},
            {"10.88.2.7 (m1) is not in 10.88.1.0/24 (lanA0): its page may not open from this "
             "computer.\nTo reach it, add the address 10.88.2.254/24 to lanA0 for a while, with "
             "administrator rights:\n  ip address add 10.88.2.254/24 dev lanA0\nand remove it "
             "afterwards:\n  ip address del 10.88.2.254/24 dev lanA0",
             "172.20.7.7" + out + reach("172.31.255.254/12")});
        row("no address a reply carries is offered", lan,
            {"a|10.88.2.7|255.255.255.0", "b|10.88.2.254", "c|10.88.2.253|255.255.255.0"},
            {"10.88.2.7" + out + reach("10.88.2.252/24"), "10.88.2.254" + out,
             "10.88.2.253" + out + reach("10.88.2.252/24")});
        row("nor the interface's own", "lanA0|10.88.255.254|255.255.255.0",
            {"a|10.88.2.7|255.255.0.0"},
            {"10.88.2.7 is not in 10.88.255.0/24 (lanA0): its page may not open from this "
             "computer" +
             reach("10.88.255.253/16")});
        row("no address to spare: /31, /32, every host taken", lan,
            {"a|10.88.2.0|255.255.255.254", "b|10.88.3.7|255.255.255.255",
             "c|10.88.4.1|255.255.255.252", "d|10.88.4.2|255.255.255.252"},
            {"10.88.2.0" + out, "10.88.3.7" + out, "10.88.4.1" + out, "10.88.4.2" + out});
        row("no subnet to join: a netmask that is none, or wider than /8; loopback, multicast", lan,
            {"a|10.88.2.7|255.0.255.0", "b|10.88.2.8|255.255.255", "c|10.88.2.10|254.0.0.0",
             "d|127.0.0.5|255.0.0.0", "e|224.0.0.5|255.255.255.0"},
            {"10.88.2.7" + out, "10.88.2.8" + out, "10.88.2.10" + out, "127.0.0.5" + out,
             "224.0.0.5" + out});
        row("no address at all", lan,
            {"a", "b|10.88.1", "c|10.88.1.256", "d|10.88.1.07", "e| 10.88.1.7", "f|١٠.88.1.7"},
            {"A device without an IP-Address" + out, "10.88.1" + out, "10.88.1.256" + out,
             "10.88.1.07" + out, " 10.88.1.7" + out, "١٠.88.1.7" + out});
        row("an interface without an address judges no subnet", "noaddr0|0.0.0.0|255.255.255.0",
            {"a|10.0.0.7", "b"}, {"", ""});
        row("a single-address subnet; a Windows description is the name",
            "Intel(R) Ethernet Connection (7) I219-V|10.9.9.9|255.255.255.255",
            {"a|10.9.9.9", "b|10.9.9.8"},
            {"", "10.9.9.8 is not in 10.9.9.9/32 (Intel(R) Ethernet Connection (7) I219-V): its "
                 "page may not open from this computer"});
        row("one address, two MACs", lan,
            {"a|10.88.1.7||02:00:00:00:00:07", "b|10.88.1.7||02:00:00:00:00:08",
             "c|10.88.1.8||02:00:00:00:00:07"},
            {"10.88.1.7 (02:00:00:00:00:07) shares its address with another device "
             "(02:00:00:00:00:08): its page may be another device's",
             "10.88.1.7 (02:00:00:00:00:08)" + shared.arg("another device (02:00:00:00:00:07)"),
             ""});
        row("the same device twice, its MAC in either case", lan,
            {"a|10.88.1.7||0a:00:00:00:00:07", "a|10.88.1.7||0A:00:00:00:00:07"}, {"", ""});
        row("outside and shared", lan, {"a|10.0.0.7||m1", "b|10.0.0.7||m2"},
            {"10.0.0.7 (m1)" + out + " / 10.0.0.7 (m1)" + shared.arg("another device (m2)"),
             "10.0.0.7 (m2)" + out + " / 10.0.0.7 (m2)" + shared.arg("another device (m1)")});
        row("no address is shared by devices without one", lan, {"a|||m1", "b|||m2"},
            {"A device without an IP-Address (m1)" + out,
             "A device without an IP-Address (m2)" + out});
        row("a device's control characters escaped, as a terminal may show them", lan,
            {"a|10.0.0.9\x1b]0;owned\x07\r\n||m\\1", "b|10.88.1.7||m1", "c|10.88.1.7||m\u009b2"},
            {"10.0.0.9\\x1b]0;owned\\x07\\r\\n (m\\\\1)" + out,
             "10.88.1.7 (m1)" + shared.arg("another device (m\\x9b2)"),
             "10.88.1.7 (m\\x9b2)" + shared.arg("another device (m1)")});
        const QString others = "4 other devices (m%1, m%2, m%3 and 1 more)";
        row("five on one address name three others", lan,
            {"a|10.88.1.7||m1", "b|10.88.1.7||m2", "c|10.88.1.7||m3", "d|10.88.1.7||m4",
             "e|10.88.1.7||m5"},
            {"10.88.1.7 (m1)" + shared.arg(others.arg(2).arg(3).arg(4)),
             "10.88.1.7 (m2)" + shared.arg(others.arg(1).arg(3).arg(4)),
             "10.88.1.7 (m3)" + shared.arg(others.arg(1).arg(2).arg(4)),
             "10.88.1.7 (m4)" + shared.arg(others.arg(1).arg(2).arg(3)),
             "10.88.1.7 (m5)" + shared.arg(others.arg(1).arg(2).arg(3))});
    }
    void judged()
    {
        QFETCH(QString, interface);
        QFETCH(QStringList, replies);
        QFETCH(QStringList, warnings);
        const QStringList on = interface.split('|');

        const Judgement judged = judgedReplies(deviceRecords(replies), {on[0], on[1], on[2]});

        QStringList shown, commands, commandsShown;
        for (int reply = 0; reply < replies.size(); ++reply) {
            shown << judged.warnings.value(reply).join(" / ");
            commandsShown << judged.reachCommands.value(reply);
            // The commands apart: the warning's lines indented by two.
            QStringList indented = warnings[reply].split('\n').filter(QRegularExpression("^  "));
            commands << indented.replaceInStrings(QRegularExpression("^  "), "").join('\n');
        }
        QCOMPARE(shown, warnings);
        QCOMPARE(commandsShown, commands);
    }

    // What a spreadsheet would run as a formula gets an apostrophe; read back, the text it was.
    void csvCells_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        const auto row = [](const char *name, const QString &text, const QString &written) {
            QTest::newRow(name) << text << written;
        };
        row("a link", "=HYPERLINK(\"http://evil.example\",\"update\")",
            "\"'=HYPERLINK(\"\"http://evil.example\"\",\"\"update\"\")\"");
        row("minus", "-1", "'-1");
        row("plus", "+SUM(1;2)", "'+SUM(1;2)");
        row("at", "@A1", "'@A1");
        row("tab", "\t=1", "'\t=1");
        row("carriage return", "\r=1", "\"'\r=1\"");
        row("apostrophes before a formula: one more", "''=1", "'''=1");
        row("inside, not at the start", "a=1+2", "a=1+2");
    }
    void csvCells()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        const QString csv = csvText({{"Hostname", "IP-Address"}, {{text, "10.0.0.1"}}, {}});
        QCOMPARE(csv, "Hostname,IP-Address\r\n" + written + ",10.0.0.1\r\n");
        QCOMPARE(csvCellText(csvCell(text)), text);
    }
};

QTEST_GUILESS_MAIN(TestReplies)
#include "tst_replies.moc"
