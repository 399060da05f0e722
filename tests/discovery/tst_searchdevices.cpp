#include "discovery/searchdevices.h"
#include "support/support.h"

#include <csignal>
#include <optional>

// The worker alone, inside a private network namespace, against simulated
// devices on loopback.
class TestSearchDevices : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }

    void quietSecond_data()
    {
        QTest::addColumn<QStringList>("device"); // how often and how far apart it answers
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<int>("atLeastMs");
        QTest::addColumn<int>("belowMs");
        QTest::newRow("nobody answers") << QStringList{} << QStringList{} << 900 << 1500;
        QTest::newRow("replies 600 ms apart hold it open")
            << QStringList{"--repeat", "4", "--interval", "600"} << QStringList{"t", "t", "t", "t"}
            << 2700 << 3600;
        QTest::newRow("a reply 1600 ms later is missed")
            << QStringList{"--repeat", "2", "--interval", "1600"} << QStringList{"t"} << 900
            << 1500;
    }
    void quietSecond()
    {
        QFETCH(QStringList, device);
        QFETCH(QStringList, replies);
        QFETCH(int, atLeastMs);
        QFETCH(int, belowMs);
        std::optional<Simulator> simulator;
        if (!device.isEmpty())
            QVERIFY(simulator.emplace(QStringList{"--raw", "74"} + device).isListening());
        SearchDevices search;
        QSignalSpy lists(&search, &SearchDevices::setDeviceList);
        QElapsedTimer clock;
        clock.start();

        search.setInterfaceAddress("127.0.0.1");
        search.start();
        QVERIFY(lists.wait(10000));
        const qint64 elapsed = clock.elapsed();
        QVERIFY(search.wait(5000));

        QCOMPARE(lists.size(), 1);
        QCOMPARE(lists[0][0].toStringList(), replies);
        QVERIFY2(elapsed >= atLeastMs && elapsed < belowMs, qPrintable(QString::number(elapsed)));
    }

    void addressTakenAtTheStart()
    {
        Simulator simulator({"--raw", "6f6e65", "--repeat", "2", "--interval", "300"});
        QVERIFY(simulator.isListening());
        SearchDevices search;
        QSignalSpy lists(&search, &SearchDevices::setDeviceList);
        QSignalSpy failures(&search, &SearchDevices::searchFailed);
        search.start(); // no address given yet
        QVERIFY(search.wait(5000));
        QCOMPARE(failures.takeFirst(), QVariantList{"Bind to socket failed"});

        search.setInterfaceAddress("127.0.0.1");
        search.start();
        QTRY_COMPARE(simulator.lines("request ").size(), 1);
        // Another start while it runs changes nothing, not even its address.
        search.setInterfaceAddress("not an address");
        search.start();
        QVERIFY(lists.wait(5000));
        QVERIFY(search.wait(5000));
        QCOMPARE(lists.takeFirst(), (QVariantList{QStringList{"one", "one"}}));
        QCOMPARE(failures.size(), 0);

        search.start(); // the next search takes the new address
        QVERIFY(search.wait(5000));
        QCOMPARE(failures.takeFirst(), QVariantList{"Bind to socket failed"});
        QCOMPARE(lists.size(), 0);
        QCOMPARE(simulator.lines("request ").size(), 1);
    }

    void signalsDoNotEndTheListening()
    {
        // A handler that does nothing, so that the signals only interrupt system calls.
        struct sigaction interrupt = {};
        interrupt.sa_handler = [](int) {};
        QCOMPARE(sigaction(SIGUSR1, &interrupt, nullptr), 0);
        Simulator simulator({"--raw", "61", "--repeat", "2", "--interval", "700"});
        QVERIFY(simulator.isListening());
        SearchDevices search;
        QSignalSpy lists(&search, &SearchDevices::setDeviceList);

        search.setInterfaceAddress("127.0.0.1");
        search.start();
        QTRY_COMPARE(simulator.lines("request ").size(), 1);
        // Every thread of the process, the search's among them, again and again.
        for (int round = 0; round < 10; ++round) {
            for (const QString &thread :
                 QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                tgkill(getpid(), thread.toInt(), SIGUSR1);
            QTest::qWait(50);
        }

        QVERIFY(lists.wait(5000));
        QCOMPARE(lists[0][0].toStringList(), (QStringList{"a", "a"}));
    }
};

QTEST_GUILESS_MAIN(TestSearchDevices)
#include "tst_searchdevices.moc"
