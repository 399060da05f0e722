#include "cli/alignedtablewriter.h"
#include "cli/csvwriter.h"
#include "cli/jsonwriter.h"
#include "cli/terminalcolumns.h"
#include "cli/tsvwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// Each format over fields that need its care; a small two-column table keeps
// the expected texts readable, the device columns come from DeviceTable.
class TestTableWriters : public QObject {
    Q_OBJECT

private slots:
    void tsv_data() { addFieldCases(); }
    void tsv();
    void csv_data() { addFieldCases(); }
    void csv();
    void json_data() { addFieldCases(); }
    void json();
    void table_data() { addFieldCases(); }
    void table();
    void jsonText();
    void noRows_data();
    void noRows();
    void formatChoice_data();
    void formatChoice();
    void deviceTable_data();
    void deviceTable();
    void taggedDeviceTable();
    void terminalColumns_data();
    void terminalColumns();

private:
    static void addFieldCases();
};

Q_DECLARE_METATYPE(OutputFormat)

namespace {

const QStringList Header{"Name", "Note"};

DeviceTable oneRow(const QString &field)
{
    return DeviceTable{Header, {{field, "ok"}}};
}

// Undoes the tsv escapes, to show that nothing is lost.
QString unescapedTsv(const QString &text)
{
    QString field;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            field += text[i];
            continue;
        }
        const QChar next = text.at(++i);
        field += next == 't'   ? QChar('\t')
                 : next == 'n' ? QChar('\n')
                 : next == 'r' ? QChar('\r')
                               : next;
    }
    return field;
}

} // namespace

void TestTableWriters::addFieldCases()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("tsv");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("table");

    const QString csvHeader = "Name,Note\r\n";
    QTest::newRow("plain") << "dev1"
                           << "dev1\tok\n"
                           << csvHeader + "dev1,ok\r\n"
                           << "Name  Note\n----  ----\ndev1  ok\n";
    QTest::newRow("comma") << "a,b"
                           << "a,b\tok\n"
                           << csvHeader + "\"a,b\",ok\r\n"
                           << "Name  Note\n----  ----\na,b   ok\n";
    QTest::newRow("double quotes") << "say \"hi\""
                                   << "say \"hi\"\tok\n"
                                   << csvHeader + "\"say \"\"hi\"\"\",ok\r\n"
                                   << "Name      Note\n--------  ----\nsay \"hi\"  ok\n";
    QTest::newRow("tab") << "a\tb"
                         << "a\\tb\tok\n"
                         << csvHeader + "a\tb,ok\r\n"
                         << "Name  Note\n----  ----\na\\tb  ok\n";
    QTest::newRow("line feed") << "a\nb"
                               << "a\\nb\tok\n"
                               << csvHeader + "\"a\nb\",ok\r\n"
                               << "Name  Note\n----  ----\na\\nb  ok\n";
    QTest::newRow("carriage return and line feed") << "a\r\nb"
                                                   << "a\\r\\nb\tok\n"
                                                   << csvHeader + "\"a\r\nb\",ok\r\n"
                                                   << "Name    Note\n------  ----\na\\r\\nb  ok\n";
    QTest::newRow("lone carriage return") << "a\rb"
                                          << "a\\rb\tok\n"
                                          << csvHeader + "\"a\rb\",ok\r\n"
                                          << "Name  Note\n----  ----\na\\rb  ok\n";
    QTest::newRow("backslash before n") << "C:\\new"
                                        << "C:\\\\new\tok\n"
                                        << csvHeader + "C:\\new,ok\r\n"
                                        << "Name     Note\n-------  ----\nC:\\\\new  ok\n";
    QTest::newRow("umlaut") << "Gerät"
                            << "Gerät\tok\n"
                            << csvHeader + "Gerät,ok\r\n"
                            << "Name   Note\n-----  ----\nGerät  ok\n";
    QTest::newRow("wide characters") << "日本語"
                                     << "日本語\tok\n"
                                     << csvHeader + "日本語,ok\r\n"
                                     << "Name    Note\n------  ----\n日本語  ok\n";
    QTest::newRow("combining mark") << "e\u0301te"
                                    << "e\u0301te\tok\n"
                                    << csvHeader + "e\u0301te,ok\r\n"
                                    << "Name  Note\n----  ----\ne\u0301te   ok\n";
    QTest::newRow("emoji outside the basic plane") << "\U0001F600"
                                                   << "\U0001F600\tok\n"
                                                   << csvHeader + "\U0001F600,ok\r\n"
                                                   << "Name  Note\n----  ----\n\U0001F600    ok\n";
    QTest::newRow("empty") << ""
                           << "\tok\n"
                           << csvHeader + ",ok\r\n"
                           << "Name  Note\n----  ----\n      ok\n";
    QTest::newRow("blanks kept") << " a "
                                 << " a \tok\n"
                                 << csvHeader + " a ,ok\r\n"
                                 << "Name  Note\n----  ----\n a    ok\n";
    QTest::newRow("escape sequence") << "\x1b[31mred"
                                     << "\x1b[31mred\tok\n"
                                     << csvHeader + "\x1b[31mred,ok\r\n"
                                     << "Name         Note\n-----------  ----\n\\x1b[31mred  ok\n";
    QTest::newRow("C1 control") << "a\u0085"
                                << "a\u0085\tok\n"
                                << csvHeader + "a\u0085,ok\r\n"
                                << "Name   Note\n-----  ----\na\\x85  ok\n";
    QTest::newRow("only a quote") << "\""
                                  << "\"\tok\n"
                                  << csvHeader + "\"\"\"\",ok\r\n"
                                  << "Name  Note\n----  ----\n\"     ok\n";
}

void TestTableWriters::tsv()
{
    QFETCH(QString, field);
    QFETCH(QString, tsv);

    const QString text = QString::fromUtf8(TsvWriter().write(oneRow(field)));

    QCOMPARE(text, tsv);
    QCOMPARE(text.count('\n'), 1);
    const QStringList fields = text.chopped(1).split('\t');
    QCOMPARE(fields.size(), 2);
    QCOMPARE(unescapedTsv(fields[0]), field);
}

void TestTableWriters::csv()
{
    QFETCH(QString, field);
    QFETCH(QString, csv);

    QCOMPARE(QString::fromUtf8(CsvWriter().write(oneRow(field))), csv);
}

void TestTableWriters::json()
{
    QFETCH(QString, field);

    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(JsonWriter().write(oneRow(field)), &error);

    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(document.isArray());
    QCOMPARE(document.array().size(), 1);
    const QJsonObject device = document.array().at(0).toObject();
    QCOMPARE(device.keys(), Header);
    QCOMPARE(device.value("Name").toString(), field);
    QCOMPARE(device.value("Note").toString(), QString("ok"));
}

void TestTableWriters::table()
{
    QFETCH(QString, field);
    QFETCH(QString, table);

    QCOMPARE(QString::fromUtf8(AlignedTableWriter().write(oneRow(field))), table);
}

void TestTableWriters::jsonText()
{
    const DeviceTable devices{Header, {{"a\t\"b\"", "ü"}, {"", "\\"}}};

    QCOMPARE(QString::fromUtf8(JsonWriter().write(devices)),
             QString("[\n"
                     "    {\n"
                     "        \"Name\": \"a\\t\\\"b\\\"\",\n"
                     "        \"Note\": \"ü\"\n"
                     "    },\n"
                     "    {\n"
                     "        \"Name\": \"\",\n"
                     "        \"Note\": \"\\\\\"\n"
                     "    }\n"
                     "]\n"));
}

void TestTableWriters::noRows_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<QString>("text");

    QTest::newRow("table has its header") << OutputFormat::Table << "Name  Note\n----  ----\n";
    QTest::newRow("csv has its header") << OutputFormat::Csv << "Name,Note\r\n";
    QTest::newRow("json is an empty array") << OutputFormat::Json << "[\n]\n";
    QTest::newRow("tsv is empty") << OutputFormat::Tsv << "";
}

void TestTableWriters::noRows()
{
    QFETCH(OutputFormat, format);
    QFETCH(QString, text);

    QCOMPARE(QString::fromUtf8(TableWriter::forFormat(format)->write(DeviceTable{Header, {}})),
             text);
}

void TestTableWriters::formatChoice_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<QString>("text");

    QTest::newRow("table") << OutputFormat::Table << "Name  Note\n----  ----\na,b   ok\n";
    QTest::newRow("csv") << OutputFormat::Csv << "Name,Note\r\n\"a,b\",ok\r\n";
    QTest::newRow("json") << OutputFormat::Json
                          << "[\n    {\n        \"Name\": \"a,b\",\n        \"Note\": \"ok\"\n    "
                             "}\n]\n";
    QTest::newRow("tsv") << OutputFormat::Tsv << "a,b\tok\n";
}

void TestTableWriters::formatChoice()
{
    QFETCH(OutputFormat, format);
    QFETCH(QString, text);

    QCOMPARE(QString::fromUtf8(TableWriter::forFormat(format)->write(oneRow("a,b"))), text);
}

void TestTableWriters::deviceTable_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("row");

    QTest::newRow("seven fields")
        << "dev1|10.0.0.11|255.255.255.0|00:11:22:33:44:55|Sensor|SN1|1.0"
        << QStringList{"dev1", "10.0.0.11", "255.255.255.0", "00:11:22:33:44:55", "Sensor",
                       "SN1",  "1.0"};
    QTest::newRow("fewer than seven fields")
        << "only|two" << QStringList{"only", "two", "", "", "", "", ""};
    QTest::newRow("empty reply") << "" << QStringList{"", "", "", "", "", "", ""};
    QTest::newRow("separators only") << "||||||" << QStringList{"", "", "", "", "", "", ""};
    QTest::newRow("more than seven fields")
        << "1|2|3|4|5|6|7|8|9" << QStringList{"1", "2", "3", "4", "5", "6", "7"};
    QTest::newRow("blanks and line ends kept")
        << " a |b\r\n|\t|||| z " << QStringList{" a ", "b\r\n", "\t", "", "", "", " z "};
}

void TestTableWriters::deviceTable()
{
    QFETCH(QString, reply);
    QFETCH(QStringList, row);

    const DeviceTable table =
        DeviceTable::fromSearches({{{"lo (loopback)", "127.0.0.1"}, {reply}, {}}}, false);

    QCOMPARE(table.header, DeviceRecord::fieldNames());
    QCOMPARE(table.rows, QVector<QStringList>{row});
}

void TestTableWriters::taggedDeviceTable()
{
    const std::vector<InterfaceSearchResult> searches{
        {{"lana (Ethernet)", "10.201.1.1"},
         {"b|10.201.1.12", "a|10.201.1.11", "a|10.201.1.11"},
         {}},
        {{"down (Ethernet)", "10.9.9.9"}, {}, QString("sendto failed with error code: 101")},
        {{"lanb (Ethernet)", "10.201.2.1"}, {"d|10.201.2.14"}, {}},
    };

    const DeviceTable table = DeviceTable::fromSearches(searches, true);

    QCOMPARE(table.header, DeviceRecord::fieldNames() + QStringList{"Interface"});
    QCOMPARE(table.rows.size(), 4);
    QStringList firstColumns;
    for (const QStringList &row : table.rows)
        firstColumns << row[0] + " " + row[1] + " " + row[7];
    QCOMPARE(firstColumns,
             (QStringList{"b 10.201.1.12 lana (Ethernet)", "a 10.201.1.11 lana (Ethernet)",
                          "a 10.201.1.11 lana (Ethernet)", "d 10.201.2.14 lanb (Ethernet)"}));
}

void TestTableWriters::terminalColumns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns");

    QTest::newRow("empty") << "" << 0;
    QTest::newRow("ascii") << "Hostname" << 8;
    QTest::newRow("latin with umlaut") << "Gerät" << 5;
    QTest::newRow("decomposed accent") << "e\u0301" << 1;
    QTest::newRow("combining mark alone") << "\u0301" << 0;
    QTest::newRow("zero width space") << "a\u200Bb" << 2;
    QTest::newRow("ideographs") << "日本語" << 6;
    QTest::newRow("hangul") << "한국" << 4;
    QTest::newRow("fullwidth letters") << "ＡＢ" << 4;
    QTest::newRow("halfwidth katakana") << "ｶﾀ" << 2;
    QTest::newRow("emoji") << "\U0001F600" << 2;
    QTest::newRow("emoji with skin tone") << "\U0001F44D\U0001F3FD" << 2;
    QTest::newRow("ideograph beyond the basic plane") << "\U00020000" << 2;
    QTest::newRow("mixed") << "a日b" << 4;
}

void TestTableWriters::terminalColumns()
{
    QFETCH(QString, text);
    QFETCH(int, columns);

    QCOMPARE(::terminalColumns(text), columns);
}

QTEST_GUILESS_MAIN(TestTableWriters)
#include "tst_tablewriters.moc"
