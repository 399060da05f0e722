#include "discovery/searchdevices.h"
#include "support/fakedevice.h"
#include "support/privatenetwork.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>
#include <cerrno>

// Runs inside a private network namespace: the fake device listens on the
// namespace's discovery port and hears the loopback broadcast.
class TestSearchDevices : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }
    void replies_data();
    void replies();
    void requestOnTheWire();
    void emptyListAfterQuietSecond();
    void repliesHoldTheWindowOpen();
    void quietTime_data();
    void quietTime();
    void quietTimeTakesEffectWithNextSearch();
    void failures_data();
    void failures();
    void searchAfterFailure();
    void startWhileRunning();
    void destroyWhileFlooded();
};

namespace {
using Script = std::vector<FakeDevice::Reply>;

constexpr int ListTimeoutMs = 10000;

QStringList searchOn(SearchDevices &search, const QString &address)
{
    QSignalSpy lists(&search, &SearchDevices::setDeviceList);
    search.setInterfaceAddress(address);
    search.start();
    if (!lists.wait(ListTimeoutMs))
        return {"<no list>"};
    return lists.takeFirst().at(0).toStringList();
}
} // namespace

void TestSearchDevices::replies_data()
{
    QTest::addColumn<std::vector<FakeDevice::Reply>>("script");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("no device") << Script{} << QStringList{};
    QTest::newRow("three in arrival order")
        << Script{{0, "c|10.0.0.3"}, {50, "a|10.0.0.1"}, {50, "b|10.0.0.2"}}
        << QStringList{"c|10.0.0.3", "a|10.0.0.1", "b|10.0.0.2"};
    QTest::newRow("duplicates kept")
        << Script{{0, "same"}, {10, "same"}} << QStringList{"same", "same"};
    QTest::newRow("empty datagram is an entry") << Script{{0, ""}} << QStringList{""};
    QTest::newRow("zero byte inside")
        << Script{{0, QByteArray("abcde\0xyz", 9)}} << QStringList{"abcde"};
    QTest::newRow("256 bytes without zero")
        << Script{{0, QByteArray(256, 'q')}} << QStringList{QString(256, 'q')};
    QTest::newRow("oversized dropped, later reply kept")
        << Script{{0, "first"}, {20, QByteArray(300, 'x')}, {20, "after"}}
        << QStringList{"first", "after"};
    QTest::newRow("257 bytes dropped")
        << Script{{0, QByteArray(257, 'y')}, {20, "z"}} << QStringList{"z"};
}

void TestSearchDevices::replies()
{
    QFETCH(std::vector<FakeDevice::Reply>, script);
    QFETCH(QStringList, expected);

    std::optional<FakeDevice> device;
    if (!script.empty()) {
        device.emplace(script);
        QVERIFY2(device->isListening(), "fake device could not bind the discovery port");
    }
    SearchDevices search;

    QCOMPARE(searchOn(search, "127.0.0.1"), expected);
}

void TestSearchDevices::requestOnTheWire()
{
    FakeDevice device;
    QVERIFY(device.isListening());
    SearchDevices search;

    searchOn(search, "127.0.0.1");

    const QList<FakeDevice::Heard> heard = device.heard();
    QCOMPARE(heard.size(), 1);
    QCOMPARE(heard[0].payload, QByteArray("vkr_hello_hardware"));
    QCOMPARE(heard[0].payload.size(), 18);
    QCOMPARE(heard[0].senderAddress, 0x7F000001u);
    QVERIFY(heard[0].senderPort != 49999);
}

void TestSearchDevices::emptyListAfterQuietSecond()
{
    SearchDevices search;
    QSignalSpy lists(&search, &SearchDevices::setDeviceList);
    QSignalSpy failures(&search, &SearchDevices::searchFailed);
    QElapsedTimer clock;
    clock.start();

    search.setInterfaceAddress("127.0.0.1");
    search.start();
    QVERIFY(lists.wait(ListTimeoutMs));
    const qint64 elapsed = clock.elapsed();
    QTest::qWait(1500); // nothing more may come

    QVERIFY2(elapsed >= 900 && elapsed < 5000, qPrintable(QString::number(elapsed)));
    QCOMPARE(lists.size(), 1);
    QCOMPARE(lists[0][0].toStringList(), QStringList{});
    QCOMPARE(failures.size(), 0);
}

void TestSearchDevices::repliesHoldTheWindowOpen()
{
    FakeDevice device({{0, "r0"}, {500, "r1"}, {500, "r2"}, {500, "r3"}});
    QVERIFY(device.isListening());
    SearchDevices search;
    QElapsedTimer clock;
    clock.start();

    const QStringList list = searchOn(search, "127.0.0.1");

    // The last reply comes after 1.5 s; the window closes a quiet second later.
    QCOMPARE(list, (QStringList{"r0", "r1", "r2", "r3"}));
    QVERIFY2(clock.elapsed() >= 2400, qPrintable(QString::number(clock.elapsed())));
}

void TestSearchDevices::quietTime_data()
{
    QTest::addColumn<int>("quietTimeMs");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<int>("belowMs");

    // The device's second reply comes 600 ms after its first.
    QTest::newRow("shorter than the gap") << 300 << QStringList{"a"} << 250 << 1500;
    QTest::newRow("longer than the gap") << 2000 << QStringList{"a", "b"} << 2400 << 6000;
}

void TestSearchDevices::quietTime()
{
    QFETCH(int, quietTimeMs);
    QFETCH(QStringList, expected);
    QFETCH(int, atLeastMs);
    QFETCH(int, belowMs);
    FakeDevice device({{0, "a"}, {600, "b"}});
    QVERIFY(device.isListening());
    SearchDevices search;
    search.setQuietTime(quietTimeMs);
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(searchOn(search, "127.0.0.1"), expected);
    QVERIFY2(clock.elapsed() >= atLeastMs && clock.elapsed() < belowMs,
             qPrintable(QString::number(clock.elapsed())));
}

void TestSearchDevices::quietTimeTakesEffectWithNextSearch()
{
    FakeDevice device({{0, "a"}, {600, "b"}});
    QVERIFY(device.isListening());
    SearchDevices search;
    QSignalSpy lists(&search, &SearchDevices::setDeviceList);
    search.setQuietTime(300);
    search.setInterfaceAddress("127.0.0.1");
    search.start();
    QTest::qWait(100);
    search.setQuietTime(2000);
    QVERIFY(lists.wait(ListTimeoutMs));
    QCOMPARE(lists.takeFirst().at(0).toStringList(), QStringList{"a"});
    QVERIFY(search.wait(ListTimeoutMs));

    QCOMPARE(searchOn(search, "127.0.0.1"), (QStringList{"a", "b"}));
}

void TestSearchDevices::failures_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message");

    QTest::newRow("null address") << QString() << "Bind to socket failed";
    QTest::newRow("empty address") << QString("") << "Bind to socket failed";
    QTest::newRow("not an address") << "lo (loopback)"
                                    << "Bind to socket failed";
    QTest::newRow("octet out of range") << "127.0.0.256"
                                        << "Bind to socket failed";
    QTest::newRow("trailing garbage") << "127.0.0.1x"
                                      << "Bind to socket failed";
    QTest::newRow("address not on this host") << "192.0.2.1"
                                              << "Bind to socket failed";
    // The namespace has no route for a broadcast from the any-address.
    QTest::newRow("send without a route")
        << "0.0.0.0" << QString("sendto failed with error code: %1").arg(ENETUNREACH);
}

void TestSearchDevices::failures()
{
    QFETCH(QString, address);
    QFETCH(QString, message);

    SearchDevices search;
    QSignalSpy lists(&search, &SearchDevices::setDeviceList);
    QSignalSpy failures(&search, &SearchDevices::searchFailed);

    search.setInterfaceAddress(address);
    search.start();
    QVERIFY(search.wait(ListTimeoutMs));

    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0][0].toString(), message);
    QVERIFY(QRegularExpression("^[A-Za-z ]+( failed|: \\d+)$").match(message).hasMatch());
    QCOMPARE(lists.size(), 0);
}

void TestSearchDevices::searchAfterFailure()
{
    FakeDevice device({{0, "dev|127.0.0.1"}});
    QVERIFY(device.isListening());
    SearchDevices search;
    QSignalSpy failures(&search, &SearchDevices::searchFailed);
    search.setInterfaceAddress("no address");
    search.start();
    QVERIFY(search.wait(ListTimeoutMs));
    QCOMPARE(failures.size(), 1);

    QCOMPARE(searchOn(search, "127.0.0.1"), QStringList{"dev|127.0.0.1"});
}

void TestSearchDevices::startWhileRunning()
{
    FakeDevice device({{0, "one"}, {300, "two"}});
    QVERIFY(device.isListening());
    SearchDevices search;
    QSignalSpy lists(&search, &SearchDevices::setDeviceList);
    QSignalSpy failures(&search, &SearchDevices::searchFailed);

    search.setInterfaceAddress("127.0.0.1");
    search.start();
    QTest::qWait(100);
    // A second start while the first runs changes nothing, not even its address.
    search.setInterfaceAddress("not an address");
    search.start();
    QVERIFY(lists.wait(ListTimeoutMs));
    QTest::qWait(1500);

    QCOMPARE(lists.size(), 1);
    QCOMPARE(lists[0][0].toStringList(), (QStringList{"one", "two"}));
    QCOMPARE(failures.size(), 0);
    QCOMPARE(device.heard().size(), 1);
}

void TestSearchDevices::destroyWhileFlooded()
{
    FakeDevice device({{0, "flood"}});
    device.floodAfterScript("flood", 20);
    QVERIFY(device.isListening());
    auto search = std::make_unique<SearchDevices>();
    QSignalSpy lists(search.get(), &SearchDevices::setDeviceList);
    search->setInterfaceAddress("127.0.0.1");
    search->start();
    QTest::qWait(300);
    QVERIFY(search->isRunning());

    QElapsedTimer clock;
    clock.start();
    search.reset();
    const qint64 stopMs = clock.elapsed();

    QVERIFY2(stopMs < 1500, qPrintable(QString::number(stopMs)));
    QCoreApplication::processEvents();
    QCOMPARE(lists.size(), 0);
}

QTEST_GUILESS_MAIN(TestSearchDevices)
#include "tst_searchdevices.moc"
