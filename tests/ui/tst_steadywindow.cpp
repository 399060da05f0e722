#include "windowfixture.h"

#include <QComboBox>
#include <csignal>
#include <malloc.h>

// The window over hundreds of searches, with signals interrupting its system calls: Linux only.
class TestSteadyWindow : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }

    void steadyOverManySearches()
    {
        open(std::vector<Adapter>{{"lo (loopback)", "127.0.0.1", "255.0.0.0"},
                                  {"unrouted", "0.0.0.0", "0.0.0.0"},
                                  {"gone", "192.0.2.1", "255.255.255.0"}});
        auto *interfaces = widget<QComboBox>("cbNetworkInterfaces");
        // Twice 1100 devices: more rows than one chunk of the parallel fill.
        Simulator simulator(
            QString("--devices 1100 --hostname d --ip x --netmask m --mac x --product p "
                    "--serial s --firmware f --repeat 2 --interval 800")
                .split(' '));
        QVERIFY(simulator.listening);
        const MessageBoxCloser boxes;
        int fills = 0;
        connect(table()->model(), &QAbstractItemModel::rowsInserted, this, [&] { ++fills; });
        // A handler that does nothing, so that signals only interrupt the search's system calls.
        struct sigaction interrupt = {};
        interrupt.sa_handler = [](int) {};
        QCOMPARE(sigaction(SIGUSR1, &interrupt, nullptr), 0);
        // Every 40th search finds the device; the others fail at the bind or at the send.
        const auto searches = [&](int from, int to) {
            for (int i = from; i < to; ++i) {
                QElapsedTimer clock;
                clock.start();
                interfaces->setCurrentIndex(i % 40 == 0 ? 0 : 1 + i % 2);
                click("btnSearch");
                if (i % 40 == 0) {
                    QTRY_COMPARE(simulator.lines("request ").size(), i / 40 + 1);
                    // Pressed again while it listens, on an interface that would fail: no effect.
                    interfaces->setCurrentIndex(2);
                    click("btnSearch");
                }
                for (int round = 0; i == 80 && round < 10; ++round) { // every thread, its too
                    for (const QString &thread :
                         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                        tgkill(getpid(), thread.toInt(), SIGUSR1);
                    QTest::qWait(50);
                }
                QVERIFY(QTest::qWaitFor([this] { return status().isEmpty(); }, 10000));
                // Held open by the second reply, then a quiet second.
                QVERIFY2(i % 40 || (clock.elapsed() >= 1700 && clock.elapsed() < 2600),
                         qPrintable(QString::number(clock.elapsed())));
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        QDir descriptors("/proc/self/fd", "", QDir::NoSort, QDir::System);
        searches(0, 40);
        const QStringList descriptorsBefore = (descriptors.refresh(), descriptors.entryList());
        const size_t heapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;

        searches(40, 240);

        descriptors.refresh();
        QCOMPARE(descriptors.entryList(), descriptorsBefore);
        const auto grown = qint64(mallinfo2().uordblks + mallinfo2().hblkhd - heapBefore);
        QVERIFY2(grown < 64 * 1024, qPrintable(QString::number(grown)));
        // One request and one fill per finding search, a message for each other one.
        QCOMPARE((QList<int>{simulator.lines("request ").size(), fills, boxes.seen.size()}),
                 (QList<int>{6, 6, 6 * 39}));
        QStringList expected;
        for (int device = 0; device < 2200; ++device)
            expected << QString("d-%1|x|m|x|p|s-%1|f").arg(device % 1100 + 1);
        QCOMPARE(rows(), expected);
    }
};

QTEST_MAIN(TestSteadyWindow)
#include "tst_steadywindow.moc"
