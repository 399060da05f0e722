#include "support/support.h"
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

// Runs in the finder host of the test bed: real sockets across two LANs, with
// a simulated device on each.
class TestTestBed : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QVERIFY2(qEnvironmentVariableIsSet("ORVANE_TESTBED"),
                 "run me through tests/testbed/testbed");
    }

    void eachLanHearsItsOwnRequest()
    {
        const QStringList fields{"--mac", "02:00:00:00:00:01", "--product", "P", "--serial",
                                 "S",     "--firmware",        "F"};
        Simulator one(QStringList{"--hostname", "one"} + fields, "dev1");
        Simulator two(QStringList{"--hostname", "two"} + fields, "dev2");
        QVERIFY(one.isListening() && two.isListening());
        QProcess find;

        find.start(ORVANE_FIND, {"--all", "--format", "tsv"});

        QVERIFY(find.waitForFinished(10000));
        QCOMPARE(find.readAllStandardError(), QByteArray());
        QCOMPARE(QString::fromUtf8(find.readAllStandardOutput()),
                 "one\t10.201.1.11\t255.255.255.0\t02:00:00:00:00:01\tP\tS\tF\tlana (Ethernet)\n"
                 "two\t10.201.2.12\t255.255.255.0\t02:00:00:00:00:01\tP\tS\tF\tlanb (Ethernet)\n");
        for (auto [device, finder] :
             {std::pair(&one, "10.201.1.1"), std::pair(&two, "10.201.2.1")}) {
            const QStringList requests = device->lines("request ");
            QCOMPARE(requests.size(), 1);
            QVERIFY2(requests[0].startsWith(QString("request %1:").arg(finder)),
                     qPrintable(requests[0]));
        }
    }

    void faults_data()
    {
        QTest::addColumn<QStringList>("fault"); // ip's arguments
        QTest::addColumn<QStringList>("repair");
        QTest::addColumn<bool>("whileListening");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rows");
        const QStringList down{"link", "set", "lana", "down"}, up{"link", "set", "lana", "up"};
        const QStringList removed{"addr", "del", "10.201.1.1/24", "dev", "lana"};
        const QStringList added{"addr", "add", "10.201.1.1/24", "dev", "lana"};
        // A link that is down keeps its address: the request goes nowhere.
        QTest::newRow("link down before the search") << down << up << false << "" << 0;
        QTest::newRow("address removed before the search")
            << removed << added << false << "Bind to socket failed" << 0;
        // What came before the fault is listed; the later answer never arrives.
        QTest::newRow("link down while listening") << down << up << true << "" << 1;
        QTest::newRow("address removed while listening") << removed << added << true << "" << 1;
    }
    void faults()
    {
        QFETCH(QStringList, fault);
        QFETCH(QStringList, repair);
        QFETCH(bool, whileListening);
        QFETCH(QString, message);
        QFETCH(int, rows);
        Simulator device({"--raw", "61", "--repeat", "2", "--interval", "800"}, "dev1");
        QVERIFY(device.isListening());
        MainWindow window;
        auto *interfaces = window.findChild<QComboBox *>("cbNetworkInterfaces");
        interfaces->setCurrentIndex(interfaces->findText("lana (", Qt::MatchStartsWith));
        auto *table = window.findChild<QTableWidget *>("tableWidget");
        auto *status = window.findChild<QLabel *>("lbStatus");
        MessageBoxCloser boxes;
        const auto search = [&] {
            window.findChild<QPushButton *>("btnSearch")->click();
            QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString(), 10000);
        };
        if (!whileListening)
            QCOMPARE(QProcess::execute("ip", fault), 0);
        else
            QTimer::singleShot(300, &window, [&] { QCOMPARE(QProcess::execute("ip", fault), 0); });

        search();
        QCOMPARE(table->rowCount(), rows);
        QCOMPARE(boxes.seen.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(boxes.seen[0].text, message);

        // Repaired, the same interface searches as ever.
        QCOMPARE(QProcess::execute("ip", repair), 0);
        search();
        QCOMPARE(table->rowCount(), 2);
    }
};

QTEST_MAIN(TestTestBed)
#include "tst_testbed.moc"
