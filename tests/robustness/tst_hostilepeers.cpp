#include "discovery/searchdevices.h"
#include "support/fakedevice.h"
#include "support/messageboxes.h"
#include "support/privatenetwork.h"
#include "support/windowdriver.h"
#include "ui/about.h"
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>
#include <memory>
#include <signal.h>
#include <unistd.h>

// Peers that flood or answer junk, a user who presses Search twice, and
// signals that interrupt the listening, inside a private network namespace
// against devices on loopback.
class TestHostilePeers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }
    void floodIsListedWhole();
    void windowAnswersWhileFlooded();
    void closingWhileFloodedEndsTheApplication();
    void junkReplies_data();
    void junkReplies();
    void searchPressedWhileSearching();
    void signalsWhileListening();
};

using namespace windowdriver;

namespace {

using Script = std::vector<FakeDevice::Reply>;

const QString Searching = QStringLiteral("searching, please wait...");

// The second entry cannot bind: no interface has that address.
std::optional<std::vector<Adapter>> loopbackThenGone()
{
    return std::vector<Adapter>{{"lo (loopback)", "127.0.0.1"}, {"gone", "192.0.2.1"}};
}

// A click that waits its turn in the event queue, as a user's does.
void postClick(QWidget *widget)
{
    const QPointF centre = QRectF(widget->rect()).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            widget, new QMouseEvent(type, centre, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
}

About *visibleAbout()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *about = qobject_cast<About *>(widget); about && about->isVisible())
            return about;
    }
    return nullptr;
}

} // namespace

void TestHostilePeers::floodIsListedWhole()
{
    // Three devices answering together every 5 ms for about 1.5 s: 900 replies.
    QProcess simulator;
    simulator.start(ORVANE_DEVICE_SIM,
                    {"--devices", "3", "--repeat", "300", "--interval", "5", "--requests", "1"});
    QVERIFY(simulator.waitForReadyRead(5000));
    QVERIFY(simulator.readLine().startsWith("listening on "));
    MainWindow window(nullptr, loopbackThenGone);
    window.show();

    click(window, "btnSearch");
    // Long past a quiet second from the request, the answers still hold it open.
    QTest::qWait(1300);
    QCOMPARE(status(window), Searching);
    QTRY_COMPARE_WITH_TIMEOUT(status(window), QString(), 15000);
    QVERIFY(simulator.state() == QProcess::NotRunning || simulator.waitForFinished(5000));
    QCOMPARE(simulator.exitCode(), 0);

    const Rows found = rows(window);
    QCOMPARE(found.size(), 900);
    QMap<QString, int> perDevice;
    for (const QStringList &row : found)
        ++perDevice[row[0] + ' ' + row[1]];
    QCOMPARE(perDevice.size(), 3);
    for (auto count = perDevice.cbegin(); count != perDevice.cend(); ++count)
        QVERIFY2(count.value() == 300, qPrintable(count.key() + ": " + QString::number(*count)));
}

void TestHostilePeers::windowAnswersWhileFlooded()
{
    FakeDevice device({{0, "flood|127.0.0.1"}});
    device.floodAfterScript("flood|127.0.0.1", 3);
    QVERIFY(device.isListening());
    MainWindow window(nullptr, loopbackThenGone);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    click(window, "btnSearch");
    QTest::qWait(1500);

    QElapsedTimer clock;
    clock.start();
    postClick(child<QPushButton>(window, "pushButton"));
    QTRY_VERIFY_WITH_TIMEOUT(visibleAbout() != nullptr, 2000);
    const qint64 answeredMs = clock.elapsed();

    QVERIFY2(answeredMs < 500, qPrintable(QString::number(answeredMs)));
    QCOMPARE(status(window), Searching);
    visibleAbout()->close();
}

void TestHostilePeers::closingWhileFloodedEndsTheApplication()
{
    FakeDevice device({{0, "flood|127.0.0.1"}});
    device.floodAfterScript("flood|127.0.0.1", 3);
    QVERIFY(device.isListening());
    // As main() runs it: the window, then the application's event loop until it ends.
    auto window = std::make_unique<MainWindow>(nullptr, loopbackThenGone);
    window->show();
    QElapsedTimer clock;
    QTimer::singleShot(0, window.get(), [&] { click(*window, "btnSearch"); });
    // The user looks at About during the search, then closes the finder's window.
    QTimer::singleShot(1200, window.get(),
                       [&] { postClick(child<QPushButton>(*window, "pushButton")); });
    QTimer::singleShot(1500, window.get(), [&] {
        QVERIFY(visibleAbout() != nullptr);
        QCOMPARE(status(*window), Searching);
        clock.start();
        window->close();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(6000);

    const int exitCode = QApplication::exec();
    window.reset();
    const qint64 endingMs = clock.elapsed();
    qInfo("closed while flooded: the application ended %lld ms later", endingMs);

    QCOMPARE(exitCode, 0);
    QVERIFY2(endingMs < 1500, qPrintable(QString::number(endingMs)));
}

void TestHostilePeers::junkReplies_data()
{
    QTest::addColumn<QByteArray>("junk");
    QTest::addColumn<Rows>("junkRows");

    const QStringList none{"", "", "", "", "", "", ""};
    const QString bad(QChar::ReplacementCharacter);
    QTest::newRow("control bytes up to a zero")
        << QByteArray("\x01\x02|\x1b[2J\0|hidden", 15)
        << Rows{{"\x01\x02", "\x1b[2J", "", "", "", "", ""}};
    QTest::newRow("zero byte first") << QByteArray("\0a|b|c", 6) << Rows{none};
    QTest::newRow("invalid UTF-8 in every field")
        << QByteArray("\xff|\xfe|\x80\x80|\xc3|x\xf8y|z|\xe2\x82")
        << Rows{{bad, bad, bad + bad, bad, "x" + bad + "y", "z", bad + bad}};
    QTest::newRow("bars only") << QByteArray(40, '|') << Rows{none};
    QTest::newRow("256 bytes without a zero")
        << QByteArray(256, '\x7f') << Rows{{QString(256, QChar(0x7f)), "", "", "", "", "", ""}};
    QTest::newRow("257 bytes are dropped") << QByteArray(257, 'x') << Rows{};
    QTest::newRow("a jumbo datagram is dropped") << QByteArray(9000, '|') << Rows{};
}

void TestHostilePeers::junkReplies()
{
    QFETCH(QByteArray, junk);
    QFETCH(Rows, junkRows);
    const QByteArray good("dev|127.0.0.1|255.0.0.0|02:00:00:00:00:01|P|S|1.0");
    FakeDevice device({{0, junk}, {20, good}});
    QVERIFY(device.isListening());
    MainWindow window(nullptr, loopbackThenGone);
    window.show();
    MessageBoxCloser boxes;
    const Rows expected =
        junkRows + Rows{{"dev", "127.0.0.1", "255.0.0.0", "02:00:00:00:00:01", "P", "S", "1.0"}};

    // The same junk twice: the first search leaves nothing behind that spoils the next.
    for (int search = 0; search < 2; ++search) {
        click(window, "btnSearch");
        QTRY_COMPARE_WITH_TIMEOUT(status(window), QString(), 10000);
        QCOMPARE(rows(window), expected);
    }
    QCOMPARE(boxes.seen().size(), 0);
    QCOMPARE(device.heard().size(), 2);
}

void TestHostilePeers::searchPressedWhileSearching()
{
    FakeDevice device({{0, "one|127.0.0.1"}, {400, "two|127.0.0.2"}});
    QVERIFY(device.isListening());
    MainWindow window(nullptr, loopbackThenGone);
    window.show();
    MessageBoxCloser boxes;
    int fills = 0;
    connect(child<QTableWidget>(window, "tableWidget")->model(), &QAbstractItemModel::rowsInserted,
            this, [&] { ++fills; });
    auto *interfaces = child<QComboBox>(window, "cbNetworkInterfaces");

    click(window, "btnSearch");
    QTest::qWait(150);
    // Another press, even on an interface that cannot search, while the first search runs.
    interfaces->setCurrentIndex(1);
    click(window, "btnSearch");
    QCOMPARE(status(window), Searching);
    QTRY_COMPARE_WITH_TIMEOUT(status(window), QString(), 10000);
    QTest::qWait(1500); // long enough for a second list, if one came

    QCOMPARE(device.heard().size(), 1);
    QCOMPARE(fills, 1);
    QCOMPARE(rows(window).size(), 2);
    QCOMPARE(boxes.seen().size(), 0);

    // The next search is an ordinary one, on what is selected now.
    click(window, "btnSearch");
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 1, 10000);
    QCOMPARE(boxes.seen()[0].text, QString("Bind to socket failed"));
    QCOMPARE(status(window), QString());
    interfaces->setCurrentIndex(0);
    click(window, "btnSearch");
    QTRY_COMPARE_WITH_TIMEOUT(status(window), QString(), 10000);
    QCOMPARE(device.heard().size(), 2);
    QCOMPARE(fills, 2);
    QCOMPARE(rows(window).size(), 2);
}

void TestHostilePeers::signalsWhileListening()
{
    // A handler that does nothing, so that the signals only interrupt system calls.
    struct sigaction ignore = {};
    ignore.sa_handler = [](int) {};
    struct sigaction previous = {};
    QCOMPARE(sigaction(SIGUSR1, &ignore, &previous), 0);
    const auto restore = qScopeGuard([&] { sigaction(SIGUSR1, &previous, nullptr); });
    FakeDevice device({{0, "early|127.0.0.1"}, {700, "late|127.0.0.2"}});
    QVERIFY(device.isListening());
    SearchDevices search;
    QSignalSpy lists(&search, &SearchDevices::setDeviceList);
    QSignalSpy failures(&search, &SearchDevices::searchFailed);

    search.setInterfaceAddress("127.0.0.1");
    search.start();
    // Every thread of the process, the search's among them, is interrupted again and again.
    for (int round = 0; round < 10; ++round) {
        QTest::qWait(60);
        const QStringList threads =
            QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &thread : threads)
            tgkill(getpid(), thread.toInt(), SIGUSR1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(lists.size(), 1, 10000);
    QVERIFY(search.wait(5000));

    QCOMPARE(lists[0][0].toStringList(), (QStringList{"early|127.0.0.1", "late|127.0.0.2"}));
    QCOMPARE(failures.size(), 0);
}

QTEST_MAIN(TestHostilePeers)
#include "tst_hostilepeers.moc"
