// Bursts of distinct replies from a simulator across the test bed's bridge:
// how many reach a bare receive loop with the system's default buffer, and
// how many reach the finder's table, how soon, and what the rows cost.
// Runs in the finder host of tests/testbed/testbed (bench/run starts it).
//
// Prints one line per burst size:
//   capture N=<n> bare=<count> finder=<rows> order=<ok|WRONG> delivery_ms=<ms>
//           gui_stall_ms=<ms> heap_bytes_per_10k_rows=<bytes>
//
// With "busy K N": a burst of N replies from three hosts of lana's LAN (dev1,
// dev5, dev6; bench/run adds the last two) while K processes spin, into the bare
// loop, the window's worker and orvane-find, each with the time from the last
// reply sent to the list delivered or orvane-find's output ended:
//   busy N=<n> spinning=<k> bare=<count> worker=<count> worker_ms=<ms>
//        find=<count> find_ms=<ms>
#include "discovery/searchdevices.h"
#include "support/support.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <arpa/inet.h>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

const char FinderAddress[] = "10.201.1.1";

qint64 heapBytesInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<qint64>(heap.uordblks + heap.hblkhd);
}

std::unique_ptr<Simulator> burstDevice(int devices, const QString &host = "dev1")
{
    auto device = std::make_unique<Simulator>(
        QStringList{"--devices", QString::number(devices), "--hostname", "d"}, host);
    if (!device->listening) {
        std::fprintf(stderr, "simulator did not start: %s\n",
                     device->process.readAllStandardError().constData());
        std::exit(1);
    }
    return device;
}

// The plain way to listen: the system's default receive buffer, one recvfrom per datagram.
int bareLoop()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, FinderAddress, &address.sin_addr);
    const int on = 1;
    const timeval quiet{1, 0};
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &quiet, sizeof quiet);
    address.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    address.sin_port = htons(49999);
    ::sendto(fd, "vkr_hello_hardware", 18, 0, reinterpret_cast<sockaddr *>(&address),
             sizeof address);
    char buffer[256];
    int received = 0;
    while (::recv(fd, buffer, sizeof buffer, 0) >= 0)
        ++received;
    ::close(fd);
    return received;
}

int bareLoopCapture(int devices)
{
    const auto device = burstDevice(devices);
    return bareLoop();
}

struct WindowCapture {
    int rows = 0;
    bool inOrder = false;
    qint64 deliveryMs = -1;
    qint64 guiStallMs = 0;
    qint64 heapBytes = 0;
};

WindowCapture windowCapture(int devices)
{
    const auto device = burstDevice(devices);
    MainWindow window;
    window.show();
    auto *interfaces = window.findChild<QComboBox *>("cbNetworkInterfaces");
    interfaces->setCurrentIndex(interfaces->findText("lana (", Qt::MatchStartsWith));
    auto *status = window.findChild<QLabel *>("lbStatus");
    auto *table = window.findChild<QTableWidget *>("tableWidget");
    QApplication::processEvents();
    const qint64 heapBefore = heapBytesInUse();

    WindowCapture result;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 lastReplySent = -1;
    bool done = false;
    QTimer ticker;
    // A tick every millisecond: a late tick is the window not answering.
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (status->text().isEmpty()) {
            result.deliveryMs = lastReplySent < 0 ? -1 : now - lastReplySent;
            done = true;
            return;
        }
        result.guiStallMs = std::max(result.guiStallMs, now - lastTick);
        lastTick = now;
        if (lastReplySent < 0 && !device->lines("answered ").isEmpty())
            lastReplySent = now;
    });
    clock.start();
    window.findChild<QPushButton *>("btnSearch")->click();
    ticker.start(1);
    while (!done && clock.elapsed() < 120000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();

    result.heapBytes = heapBytesInUse() - heapBefore;
    result.rows = table->rowCount();
    result.inOrder = result.rows == devices;
    for (int row = 0; result.inOrder && row < result.rows; ++row)
        result.inOrder = table->item(row, 0)->text() == QStringLiteral("d-%1").arg(row + 1);
    return result;
}

// A burst of the same replies from each host, answering while the machine is busy.
class BusyBurst {
public:
    BusyBurst(int spinning, int devicesPerHost)
    {
        for (const QString host : {"dev1", "dev5", "dev6"})
            devices_.push_back(burstDevice(devicesPerHost, host));
        for (int i = 0; i < spinning; ++i) {
            spinners_.push_back(std::make_unique<QProcess>());
            spinners_.back()->start("sh", {"-c", "while :; do :; done"});
            spinners_.back()->waitForStarted();
        }
    }
    ~BusyBurst()
    {
        for (auto &spinner : spinners_) {
            spinner->kill();
            spinner->waitForFinished();
        }
    }

    // Milliseconds from the last reply sent to `done`, which is asked every millisecond.
    qint64 timeToDone(const std::function<bool()> &done)
    {
        QElapsedTimer clock;
        clock.start();
        qint64 lastReplySent = -1;
        while (!done() && clock.elapsed() < 120000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (lastReplySent < 0 &&
                std::all_of(devices_.begin(), devices_.end(), [](const auto &device) {
                    return !device->lines("answered ").isEmpty();
                }))
                lastReplySent = clock.elapsed();
        }
        return lastReplySent < 0 ? -1 : clock.elapsed() - lastReplySent;
    }

private:
    std::vector<std::unique_ptr<Simulator>> devices_;
    std::vector<std::unique_ptr<QProcess>> spinners_;
};

void busyCapture(int spinning, int replies)
{
    const int perHost = replies / 3;
    int bare = -1;
    {
        const BusyBurst burst(spinning, perHost);
        bare = bareLoop();
    }
    int worker = -1;
    qint64 workerMs = -1;
    {
        BusyBurst burst(spinning, perHost);
        SearchDevices search;
        QObject::connect(&search, &SearchDevices::setDeviceList,
                         [&worker](const QStringList &list) { worker = int(list.size()); });
        search.setInterfaceAddress(FinderAddress);
        search.start();
        workerMs = burst.timeToDone([&worker] { return worker >= 0; });
    }
    QByteArray found;
    qint64 findMs = -1;
    {
        BusyBurst burst(spinning, perHost);
        QProcess find;
        find.start(ORVANE_FIND, {"-i", "lana", "-f", "tsv"});
        findMs = burst.timeToDone([&find, &found] {
            found += find.readAllStandardOutput();
            return find.state() == QProcess::NotRunning;
        });
        found += find.readAllStandardOutput();
    }
    std::printf("busy N=%d spinning=%d bare=%d worker=%d worker_ms=%lld find=%d find_ms=%lld\n",
                perHost * 3, spinning, bare, worker, static_cast<long long>(workerMs),
                int(found.count('\n')), static_cast<long long>(findMs));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "busy") {
        busyCapture(QByteArray(argv[2]).toInt(), QByteArray(argv[3]).toInt());
        return 0;
    }
    QList<int> sizes{1000, 10000, 100000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes << QString::fromLocal8Bit(argv[i]).toInt();
    }
    for (const int devices : sizes) {
        const int bare = bareLoopCapture(devices);
        const WindowCapture finder = windowCapture(devices);
        std::printf("capture N=%d bare=%d finder=%d order=%s delivery_ms=%lld gui_stall_ms=%lld "
                    "heap_bytes_per_10k_rows=%lld\n",
                    devices, bare, finder.rows, finder.inOrder ? "ok" : "WRONG",
                    static_cast<long long>(finder.deliveryMs),
                    static_cast<long long>(finder.guiStallMs),
                    static_cast<long long>(finder.heapBytes * 10000 / std::max(1, finder.rows)));
        std::fflush(stdout);
    }
    return 0;
}
