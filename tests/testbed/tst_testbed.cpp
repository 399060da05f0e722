#include "support/messageboxes.h"
#include "support/privatenetwork.h"
#include "support/testbed.h"
#include "support/windowdriver.h"
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtTest>
#include <memory>

// Runs in the finder host of the test bed: the real window, the real worker
// and real sockets, against simulated devices on two bridged LANs.
class TestTestBed : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void requestsStayOnTheirLan_data();
    void requestsStayOnTheirLan();
    void answersInArrivalOrder();
    void oddReplies_data();
    void oddReplies();
    void noDeviceListAfterAQuietSecond();
    void answersHoldTheSearchOpen();
    void faultBeforeSearch_data();
    void faultBeforeSearch();
    void faultWhileListening_data();
    void faultWhileListening();
};

namespace {

using Devices = std::vector<std::unique_ptr<SimulatedDevice>>;
using windowdriver::Rows;

// A device on a host, with the arguments given; fails the test if it does not come up.
#define START_DEVICE(devices, host, ...)                                                           \
    do {                                                                                           \
        devices.push_back(std::make_unique<SimulatedDevice>(host, QStringList(__VA_ARGS__)));      \
        QVERIFY2(devices.back()->waitUntilListening(), qPrintable(devices.back()->errors()));      \
    } while (false)

class Finder {
public:
    Finder() { window.show(); }

    bool select(const QString &interfaceName)
    {
        auto *interfaces = window.findChild<QComboBox *>("cbNetworkInterfaces");
        const int index = interfaces->findText(interfaceName + " (", Qt::MatchStartsWith);
        interfaces->setCurrentIndex(index);
        return index >= 0;
    }

    // Presses Search and waits until the status label is empty again; the elapsed milliseconds.
    qint64 search()
    {
        QElapsedTimer clock;
        clock.start();
        windowdriver::click(window, "btnSearch");
        if (status() != "searching, please wait...")
            return -1;
        while (!status().isEmpty() && clock.elapsed() < 15000)
            QTest::qWait(5);
        return clock.elapsed();
    }

    QString status() { return windowdriver::status(window); }
    Rows rows() { return windowdriver::rows(window); }

    MainWindow window;
};

QStringList column(const Rows &rows, int index)
{
    QStringList cells;
    for (const QStringList &row : rows)
        cells << row.at(index);
    return cells;
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

} // namespace

void TestTestBed::initTestCase()
{
    REQUIRE_PRIVATE_NETWORK();
    QVERIFY2(qEnvironmentVariableIsSet("ORVANE_TESTBED"), "run through tests/testbed/testbed run");
}

void TestTestBed::requestsStayOnTheirLan_data()
{
    QTest::addColumn<QString>("interfaceName");
    QTest::addColumn<QString>("finderAddress");
    QTest::addColumn<QStringList>("reached");

    QTest::newRow("LAN A") << "lana"
                           << "10.201.1.1" << QStringList{"dev1", "dev2", "dev3"};
    QTest::newRow("LAN B") << "lanb"
                           << "10.201.2.1" << QStringList{"dev4"};
}

void TestTestBed::requestsStayOnTheirLan()
{
    QFETCH(QString, interfaceName);
    QFETCH(QString, finderAddress);
    QFETCH(QStringList, reached);
    const QStringList hosts{"dev1", "dev2", "dev3", "dev4"};
    Devices devices;
    for (const QString &host : hosts)
        START_DEVICE(devices, host, {"--hostname", host});
    Finder finder;
    QVERIFY(finder.select(interfaceName));

    QVERIFY(finder.search() > 0);

    QStringList found = column(finder.rows(), 0);
    found.sort();
    QCOMPARE(found, reached);
    const QRegularExpression request("^request " + QRegularExpression::escape(finderAddress) +
                                     R"(:(\d+) -> 255\.255\.255\.255:49999 18 bytes$)");
    for (int i = 0; i < hosts.size(); ++i) {
        const QStringList heard = devices[static_cast<std::size_t>(i)]->requests();
        if (!reached.contains(hosts[i])) {
            QVERIFY2(heard.isEmpty(), qPrintable(hosts[i] + ": " + heard.join(", ")));
            continue;
        }
        QCOMPARE(heard.size(), 1);
        const QRegularExpressionMatch match = request.match(heard.first());
        QVERIFY2(match.hasMatch(), qPrintable(heard.first()));
        QVERIFY(match.captured(1).toInt() != 49999);
    }
    // Fields the simulator took from its host's interface.
    for (const QStringList &row : finder.rows()) {
        QVERIFY2(row[1].startsWith(finderAddress.section('.', 0, 2) + "."), qPrintable(row[1]));
        QCOMPARE(row[2], QString("255.255.255.0"));
        QVERIFY2(QRegularExpression("^([0-9A-F]{2}:){5}[0-9A-F]{2}$").match(row[3]).hasMatch(),
                 qPrintable(row[3]));
    }
}

void TestTestBed::answersInArrivalOrder()
{
    const QStringList fixed{"--mac", "02:00:00:00:00:01", "--product", "Rack", "--serial",
                            "S-1",   "--firmware",        "2.4"};
    Devices devices;
    START_DEVICE(devices, "dev1", {"--delay", "600", "--hostname", "eins"});
    START_DEVICE(
        devices, "dev2",
        (QStringList{"--delay", "100", "--hostname", QString::fromUtf8("Gerät-Zwei")} + fixed));
    START_DEVICE(devices, "dev3", {"--delay", "350", "--hostname", "drei"});
    Finder finder;
    QVERIFY(finder.select("lana"));

    QVERIFY(finder.search() > 0);

    const Rows rows = finder.rows();
    QCOMPARE(column(rows, 0), (QStringList{QString::fromUtf8("Gerät-Zwei"), "drei", "eins"}));
    QCOMPARE(rows[0], (QStringList{QString::fromUtf8("Gerät-Zwei"), "10.201.1.12", "255.255.255.0",
                                   "02:00:00:00:00:01", "Rack", "S-1", "2.4"}));
}

void TestTestBed::oddReplies_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Rows>("rows");

    const QStringList abcdefg{"a", "b", "c", "d", "e", "f", "g"};
    QTest::newRow("zero byte inside")
        << "dev1" << QStringList{"--raw", hex(QByteArray("a|b|c|d|e|f|g\0tail", 18))}
        << Rows{abcdefg};
    QTest::newRow("empty datagram")
        << "dev1" << QStringList{"--raw", ""} << Rows{{"", "", "", "", "", "", ""}};
    QTest::newRow("nine fields") << "dev1" << QStringList{"--raw", hex("a|b|c|d|e|f|g|h|i")}
                                 << Rows{abcdefg};
    QTest::newRow("empty field") << "dev1" << QStringList{"--raw", hex("a||c|d|e|f|g")}
                                 << Rows{{"a", "", "c", "d", "e", "f", "g"}};
    QTest::newRow("duplicates") << "dev2" << QStringList{"--raw", hex("a|b|c|d|e|f|g"), "--repeat",
                                                         "2",     "--interval",         "50"}
                                << Rows{abcdefg, abcdefg};
    QTest::newRow("300 bytes, then a normal reply")
        << "dev3" << QStringList{"--raw", hex(QByteArray(300, 'x')), "--raw", hex("ok|10.201.1.13")}
        << Rows{{"ok", "10.201.1.13", "", "", "", "", ""}};
    QTest::newRow("stranger's junk")
        << "stranger" << QStringList{"--raw", hex("\x01\x7fjunk|\xff")}
        << Rows{{"\x01\x7fjunk", QString(QChar::ReplacementCharacter), "", "", "", "", ""}};
}

void TestTestBed::oddReplies()
{
    QFETCH(QString, host);
    QFETCH(QStringList, arguments);
    QFETCH(Rows, rows);
    Devices devices;
    START_DEVICE(devices, host, arguments);
    Finder finder;
    QVERIFY(finder.select("lana"));

    QVERIFY(finder.search() > 0);

    QCOMPARE(finder.rows(), rows);
}

void TestTestBed::noDeviceListAfterAQuietSecond()
{
    Finder finder;
    QVERIFY(finder.select("lanb"));

    const qint64 elapsed = finder.search();

    QVERIFY2(elapsed >= 900 && elapsed < 4000, qPrintable(QString::number(elapsed)));
    QCOMPARE(finder.rows(), Rows{});
}

void TestTestBed::answersHoldTheSearchOpen()
{
    Devices devices;
    START_DEVICE(devices, "dev4",
                 {"--raw", hex("tick|10.201.2.14"), "--repeat", "4", "--interval", "500"});
    Finder finder;
    QVERIFY(finder.select("lanb"));

    const qint64 elapsed = finder.search();

    // The last answer comes 1.5 s after the request; the list a quiet second later.
    QCOMPARE(finder.rows().size(), 4);
    QVERIFY2(elapsed >= 2400 && elapsed < 5500, qPrintable(QString::number(elapsed)));
}

namespace {

const QStringList LinkDown{"link", "set", "lana", "down"};
const QStringList LinkUp{"link", "set", "lana", "up"};
const QStringList AddressRemoved{"addr", "del", "10.201.1.1/24", "dev", "lana"};
const QStringList AddressAdded{"addr", "add", "10.201.1.1/24", "dev", "lana"};

} // namespace

void TestTestBed::faultBeforeSearch_data()
{
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<QStringList>("repair");
    QTest::addColumn<QString>("error");

    // A down link keeps its address: the request goes nowhere and nobody answers.
    QTest::newRow("link down") << LinkDown << LinkUp << QString();
    QTest::newRow("address removed") << AddressRemoved << AddressAdded << "Bind to socket failed";
}

void TestTestBed::faultBeforeSearch()
{
    QFETCH(QStringList, fault);
    QFETCH(QStringList, repair);
    QFETCH(QString, error);
    Devices devices;
    START_DEVICE(devices, "dev1", {"--hostname", "eins"});
    START_DEVICE(devices, "dev4", {"--hostname", "vier"});
    Finder finder;
    MessageBoxCloser boxes;
    QVERIFY(finder.select("lana"));
    {
        // The list was made while lana was fine; the fault comes before the search.
        QCOMPARE(QProcess::execute("ip", fault), 0);
        const auto repaired = qScopeGuard([=] { QProcess::execute("ip", repair); });

        QVERIFY(finder.search() > 0);

        QCOMPARE(boxes.seen().size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty()) {
            QCOMPARE(boxes.seen()[0].title, QString("Error"));
            QCOMPARE(boxes.seen()[0].text, error);
        }
        QCOMPARE(finder.rows(), Rows{});
        QCOMPARE(devices[0]->requests(), QStringList{});
    }

    // Repaired, the same interface searches as ever; no request ever strayed onto LAN B.
    QVERIFY(finder.search() > 0);
    QCOMPARE(column(finder.rows(), 0), QStringList{"eins"});
    QCOMPARE(devices[0]->requests().size(), 1);
    QCOMPARE(devices[1]->requests(), QStringList{});
    QCOMPARE(boxes.seen().size(), error.isEmpty() ? 0 : 1);
}

void TestTestBed::faultWhileListening_data()
{
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<QStringList>("repair");

    QTest::newRow("link down") << LinkDown << LinkUp;
    QTest::newRow("address removed") << AddressRemoved << AddressAdded;
}

void TestTestBed::faultWhileListening()
{
    QFETCH(QStringList, fault);
    QFETCH(QStringList, repair);
    Devices devices;
    START_DEVICE(devices, "dev1", {"--devices", "3", "--hostname", "eins"});
    START_DEVICE(devices, "dev2", {"--delay", "800", "--hostname", "zwei"});
    Finder finder;
    MessageBoxCloser boxes;
    QVERIFY(finder.select("lana"));
    {
        QTimer::singleShot(300, [&] { QCOMPARE(QProcess::execute("ip", fault), 0); });
        const auto repaired = qScopeGuard([=] { QProcess::execute("ip", repair); });

        const qint64 elapsed = finder.search();

        // What came before the fault is listed; the late answer never arrives.
        QVERIFY2(elapsed >= 900 && elapsed < 4000, qPrintable(QString::number(elapsed)));
        const QStringList found = column(finder.rows(), 0);
        QCOMPARE(found.size(), 3);
        QCOMPARE(found.filter(QRegularExpression("^eins")).size(), 3);
        QCOMPARE(boxes.seen().size(), 0);
    }

    QVERIFY(finder.search() > 0);
    QCOMPARE(finder.rows().size(), 4);
    QCOMPARE(column(finder.rows(), 0).last(), QString("zwei"));
    QCOMPARE(boxes.seen().size(), 0);
}

QTEST_MAIN(TestTestBed)
#include "tst_testbed.moc"
