#include "discovery/expectedlist.h"

#include <QtTest>

// A list of the devices expected: read or refused, compared with the answers, its report.
class TestExpectedList : public QObject {
    Q_OBJECT

private slots:
    void compare_data()
    {
        QTest::addColumn<QByteArray>("list"); // null: no such file
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("report"); // the rows joined by "|", then the summary
        const auto row = [](const char *name, const QByteArray &list, const QStringList &found,
                            const QString &report) {
            QTest::newRow(name) << list << found << report;
        };
        row("MAC in any case: as expected, differs, unexpected, missing",
            "MAC-Address,Firmware Version\r\naa:bb:cc:00:00:01,2.5.0\r\nAA:BB:CC:00:00:02,"
            "2.4.1\r\naa:bb:cc:00:00:04,1\r\n",
            {"d1|10.0.0.1||AA:BB:CC:00:00:01|||2.4.1", "d2|10.0.0.2||aa:bb:cc:00:00:02|||2.4.1",
             "d3|10.0.0.3||aa:bb:cc:00:00:03|||2.4.1"},
            "differs|d1|10.0.0.1||AA:BB:CC:00:00:01|||2.4.1|Firmware Version: 2.4.1, expected "
            "2.5.0\nas expected|d2|10.0.0.2||aa:bb:cc:00:00:02|||2.4.1|\n"
            "unexpected|d3|10.0.0.3||aa:bb:cc:00:00:03|||2.4.1|\n"
            "missing||||aa:bb:cc:00:00:04|||1|\n"
            "1 of 3 expected devices as expected; 1 differs, 1 missing; 1 unexpected");
        row("columns in any order and case, others ignored, empty cells not compared",
            "Firmware Version,Check, hostname ,Serial No,IP-Address\n,differs,h1,S1,\n",
            {"h1|10.0.0.1|||P|S1|9"},
            "as expected|h1|10.0.0.1|||P|S1|9|\n"
            "1 of 1 expected device as expected; 0 differ, 0 missing; "
            "0 unexpected");
        row("the MAC names it before the serial: a device matches one row",
            "MAC-Address,Serial No,Hostname,Product Name\nm1,S,,A\n,S,,B\n,,h,C\n",
            {"h|||M1|A|S|", "x|||m2|B|S|"},
            "as expected|h|||M1|A|S||\nas expected|x|||m2|B|S||\nmissing|h||||C|||\n"
            "2 of 3 expected devices as expected; 0 differ, 1 missing; 0 unexpected");
        row("heard twice: counted once; another answer by the same name is unexpected",
            "Serial No,Firmware Version\nS,2\n", {"a|||||S|2", "a|||||S|2", "b|||||S|2"},
            "as expected|a|||||S|2|\nas expected|a|||||S|2|\nunexpected|b|||||S|2|\n"
            "1 of 1 expected device as expected; 0 differ, 0 missing; 1 unexpected");
        row("a BOM, the apostrophe of the CSV guard, a quoted line break, several differences",
            "\xEF\xBB\xBFHostname,Product Name,Netmask\r\n'=1+1,\"IO\r\nBox\",x\r\n",
            {"=1+1||255.0.0.0||IO Box||"},
            "differs|=1+1||255.0.0.0||IO Box|||Netmask: 255.0.0.0, expected x; Product Name: IO "
            "Box, expected IO\r\nBox\n"
            "0 of 1 expected device as expected; 1 differs, 0 missing; 0 unexpected");
        row("JSON, its other keys ignored", R"([{"Serial No": "S1", "Check": "x"}])", {"a|||||S1|"},
            "as expected|a|||||S1||\n"
            "1 of 1 expected device as expected; 0 differ, 0 missing; 0 unexpected");
        row("refused: no such file", QByteArray(), {},
            "LIST: cannot be read: No such file or "
            "directory");
        row("refused: neither CSV nor JSON", "Name;Address\nx;y\n", {},
            "LIST: neither CSV with a header row naming its columns (Hostname, IP-Address, "
            "Netmask, "
            "MAC-Address, Product Name, Serial No, Firmware Version) nor JSON");
        row("refused: no column names a device", "\nFirmware Version\n2.5.0\n", {},
            "LIST, line 2: no column names a device: the header needs MAC-Address, Serial No or "
            "Hostname");
        row("refused: a row names none",
            "MAC-Address,Serial No,Firmware Version\nm1,,1\n,,,\n,,2\n", {},
            "LIST, line 4: names no device: its MAC-Address, Serial No and Hostname are all "
            "empty");
        row("refused: a device twice, lines counted across a quoted break, its name visible",
            "Hostname,Product Name\r\na\x1b,\"x\ny\"\r\na\x1b,z\r\n", {},
            "LIST, line 4: names the same device as line 2 (Hostname a\\x1b)");
        row("refused: a quoted cell that does not end", "Hostname\na\n\"b\nc,d\n", {},
            "LIST, line 3: a quoted cell that does not end");
        row("refused: JSON, a device twice", R"([{"MAC-Address": "aa"}, {"mac-address": "AA"}])",
            {}, "LIST, object 2: names the same device as object 1 (MAC-Address AA)");
        row("refused: JSON, no array of objects", R"([{"Hostname": "a"}, 1])", {},
            "LIST: JSON, but not an array of objects");
    }
    void compare()
    {
        QFETCH(QByteArray, list);
        QFETCH(QStringList, found);
        QFETCH(QString, report);
        QTemporaryDir folder;
        const QString path = folder.filePath("list");
        QFile file(path);
        QVERIFY(list.isNull() || (file.open(QIODevice::WriteOnly) && file.write(list) >= 0));
        file.close();
        const auto read = readExpectedList(path);
        if (const QString *why = std::get_if<QString>(&read)) {
            QCOMPARE(QString(*why).replace(QDir::toNativeSeparators(path), "LIST"), report);
            return;
        }
        DeviceTable answers{DeviceRecord::fieldNames(), {}, {}};
        for (const QString &reply : found)
            answers.rows << reply.split('|');
        const Comparison comparison = compared(answers, std::get<ExpectedList>(read));
        QString shown;
        for (const QStringList &cells : comparisonReport(answers.header, comparison.rows).rows)
            shown += cells.join('|') + '\n';
        QCOMPARE(shown + comparisonSummary(comparison), report);
    }
};

QTEST_GUILESS_MAIN(TestExpectedList)
#include "tst_expectedlist.moc"
