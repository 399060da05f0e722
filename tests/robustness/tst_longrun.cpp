#include "support/fakedevice.h"
#include "support/heapusage.h"
#include "support/messageboxes.h"
#include "support/privatenetwork.h"
#include "support/windowdriver.h"
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <memory>

// One finder window searching a thousand times in a row, inside a private
// network namespace: what it holds afterwards is what it held before.
class TestLongRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }
    void thousandSearches();
};

using namespace windowdriver;

namespace {

constexpr int Searches = 1000;
constexpr int WarmUp = 100;
// Every 20th search finds the devices; a found search lasts its quiet second.
constexpr int FindEvery = 20;
// Allowance for what Qt caches on its own: the heap wanders by some 15 KiB, and
// Qt's caches may shrink by some 80 KiB on their own timers while this runs.
// A leak of 200 bytes a search still goes well past it over the 900 after the warm-up.
constexpr qint64 MemoryAllowanceBytes = 64 * 1024;

enum Interface { Loopback, Unrouted, Gone };

// Loopback finds the devices; the others fail at different steps.
std::optional<std::vector<Adapter>> adapters()
{
    return std::vector<Adapter>{
        {"lo (loopback)", "127.0.0.1"}, {"unrouted", "0.0.0.0"}, {"gone", "192.0.2.1"}};
}

int openFileDescriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// Polls more often than QTRY_*, which would add 50 ms to each of the quick failures.
template <typename Condition> bool waitUntil(Condition condition)
{
    QDeadlineTimer deadline(10000);
    while (!condition() && !deadline.hasExpired())
        QTest::qWait(1);
    return condition();
}

} // namespace

void TestLongRun::thousandSearches()
{
    FakeDevice device({{0, "one|127.0.0.1|255.0.0.0|02:00:00:00:00:01|P|S|1.0"},
                       {5, "two|127.0.0.2|255.0.0.0|02:00:00:00:00:02|P|S|1.0"},
                       {5, QByteArray(300, 'x')}});
    QVERIFY(device.isListening());
    auto window = std::make_unique<MainWindow>(nullptr, adapters);
    window->show();
    auto *interfaces = child<QComboBox>(*window, "cbNetworkInterfaces");
    auto *search = child<QPushButton>(*window, "btnSearch");
    auto *status = child<QLabel>(*window, "lbStatus");
    auto *table = child<QTableWidget>(*window, "tableWidget");

    int found = 0;
    int failed = 0;
    int descriptorsAfterWarmUp = 0;
    qint64 memoryAfterWarmUp = 0;
    for (int round = 0; round < Searches; ++round) {
        if (round == WarmUp) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            descriptorsAfterWarmUp = openFileDescriptors();
            memoryAfterWarmUp = heapBytesInUse();
        }
        const bool finds = round % FindEvery == 0;
        interfaces->setCurrentIndex(finds ? Loopback : round % 2 ? Unrouted : Gone);
        const MessageBoxCloser boxes;
        QTest::mouseClick(search, Qt::LeftButton);
        if (finds) {
            QVERIFY(waitUntil([&] { return status->text().isEmpty(); }));
            QCOMPARE(table->rowCount(), 2);
            ++found;
        } else {
            QVERIFY(waitUntil([&] { return !boxes.seen().isEmpty(); }));
            QVERIFY(status->text().isEmpty());
            ++failed;
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const int descriptors = openFileDescriptors();
    const qint64 memory = heapBytesInUse();
    qInfo("%d searches, %d found, %d failed; descriptors %d -> %d; memory in use %lld -> %lld "
          "bytes",
          Searches, found, failed, descriptorsAfterWarmUp, descriptors, memoryAfterWarmUp, memory);
    QVERIFY(memoryAfterWarmUp > 0);
    QCOMPARE(device.heard().size(), found);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(descriptors, descriptorsAfterWarmUp);
    QVERIFY2(memory - memoryAfterWarmUp < MemoryAllowanceBytes,
             qPrintable(QString::number(memory - memoryAfterWarmUp)));
}

QTEST_MAIN(TestLongRun)
#include "tst_longrun.moc"
