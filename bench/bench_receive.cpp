// The worker's receive path (receive, reply text, append) against a bare
// recvfrom loop, each draining the same number of queued replies from a
// loopback socket. Runs inside a private network namespace (bench/run).
#include "discovery/protocol.h"
#include "platform/broadcastsearch.h"
#include "platform/udpsocket.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int QueuedReplies = 2000;
constexpr std::uint32_t Loopback = 0x7F000001;
constexpr std::uint16_t ReceiverPort = 49998;
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
const char Reply[] =
    "device-00042|10.201.1.42|255.255.255.0|02:00:00:00:00:2A|Orvane IO-Box 16|SN-00042|2.4.1";

// Queues the replies on the receiving port, as a burst of devices would.
void queueReplies()
{
    const SocketLibrary library;
    UdpSocket sender;
    for (int i = 0; i < QueuedReplies; ++i)
        sender.sendTo(Reply, sizeof Reply - 1, Loopback, ReceiverPort);
}

void BM_BareRecvfrom(benchmark::State &state)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(Loopback);
    local.sin_port = htons(ReceiverPort);
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &ReceiveBufferBytes, sizeof ReceiveBufferBytes) ||
        ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local)) {
        state.SkipWithError("cannot set up the socket");
        return;
    }
    char buffer[discovery::ReplyBufferSize];
    sockaddr_in sender{};
    for (auto _ : state) {
        state.PauseTiming();
        queueReplies();
        state.ResumeTiming();
        for (int i = 0; i < QueuedReplies; ++i) {
            socklen_t senderLength = sizeof sender;
            benchmark::DoNotOptimize(::recvfrom(fd, buffer, sizeof buffer, 0,
                                                reinterpret_cast<sockaddr *>(&sender),
                                                &senderLength));
        }
    }
    ::close(fd);
    state.SetItemsProcessed(state.iterations() * QueuedReplies);
}

void BM_WorkerReceivePath(benchmark::State &state)
{
    const SocketLibrary library;
    UdpSocket socket;
    if (!socket.bindTo(INADDR_LOOPBACK, ReceiverPort) ||
        !socket.setReceiveTimeout(discovery::QuietTimeMs)) {
        state.SkipWithError("cannot set up the socket");
        return;
    }
    socket.requestReceiveBuffer(ReceiveBufferBytes);
    QStringList replies;
    for (auto _ : state) {
        state.PauseTiming();
        replies.clear();
        queueReplies();
        state.ResumeTiming();
        // Stopping once the queue is empty leaves the quiet wait out of the figure.
        discovery::receiveReplies(
            socket, discovery::QuietTimeMs,
            [&replies](const char *bytes, std::size_t size) {
                replies.append(discovery::replyText(bytes, size));
            },
            [&replies] { return replies.size() == QueuedReplies; });
        benchmark::DoNotOptimize(replies);
    }
    state.SetItemsProcessed(state.iterations() * QueuedReplies);
}

} // namespace

BENCHMARK(BM_BareRecvfrom)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WorkerReceivePath)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
