#include "udpsocket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "socketaddress.h"

namespace {

constexpr std::intptr_t NoSocket = -1;

int fd(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

} // namespace

SocketLibrary::SocketLibrary() : started_(true) {}

SocketLibrary::~SocketLibrary() = default;

UdpSocket::UdpSocket() : handle_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP))
{
    if (handle_ == NoSocket)
        lastError_ = errno;
}

UdpSocket::~UdpSocket()
{
    if (isOpen())
        ::close(fd(handle_));
}

bool UdpSocket::isOpen() const
{
    return handle_ != NoSocket;
}

bool UdpSocket::recordFailure()
{
    lastError_ = errno;
    return false;
}

bool UdpSocket::bindTo(std::uint32_t address, std::uint16_t port)
{
    const sockaddr_in local = socketAddress(address, port);
    return ::bind(fd(handle_), reinterpret_cast<const sockaddr *>(&local), sizeof local) == 0 ||
           recordFailure();
}

bool UdpSocket::allowBroadcast()
{
    const int on = 1;
    return ::setsockopt(fd(handle_), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0 ||
           recordFailure();
}

bool UdpSocket::setReceiveTimeout(int milliseconds)
{
    timeval timeout{};
    timeout.tv_sec = milliseconds / 1000;
    timeout.tv_usec = (milliseconds % 1000) * 1000;
    return ::setsockopt(fd(handle_), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0 ||
           recordFailure();
}

void UdpSocket::requestReceiveBuffer(int bytes)
{
    ::setsockopt(fd(handle_), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

bool UdpSocket::sendTo(const void *data, std::size_t size, std::uint32_t address,
                       std::uint16_t port)
{
    const sockaddr_in destination = socketAddress(address, port);
    const ssize_t sent =
        ::sendto(fd(handle_), data, size, 0, reinterpret_cast<const sockaddr *>(&destination),
                 sizeof destination);
    return sent >= 0 || recordFailure();
}

bool UdpSocket::waitForDatagram(int milliseconds)
{
    pollfd readable{fd(handle_), POLLIN, 0};
    const int ready = ::poll(&readable, 1, milliseconds);
    // A signal is no failure: the caller looks at its stop request and waits again.
    lastError_ = ready < 0 && errno != EINTR ? errno : 0;
    return ready > 0;
}

std::size_t UdpSocket::receiveMany(char *buffer, std::size_t slotSize, Received *results,
                                   std::size_t maxCount)
{
    constexpr std::size_t MaxBatch = 64;
    const std::size_t count = std::min(maxCount, MaxBatch);
    mmsghdr messages[MaxBatch]{};
    iovec slots[MaxBatch];
    for (std::size_t i = 0; i < count; ++i) {
        slots[i] = {buffer + i * slotSize, slotSize};
        messages[i].msg_hdr.msg_iov = &slots[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    for (;;) {
        // One system call for a whole burst; MSG_TRUNC marks a datagram that did not fit.
        const int received = ::recvmmsg(fd(handle_), messages, static_cast<unsigned>(count),
                                        MSG_WAITFORONE | MSG_TRUNC, nullptr);
        if (received > 0) {
            for (int i = 0; i < received; ++i) {
                const msghdr &header = messages[i].msg_hdr;
                const bool truncated = (header.msg_flags & MSG_TRUNC) != 0;
                results[i] = {truncated ? ReceiveStatus::Oversized : ReceiveStatus::Datagram,
                              truncated ? 0 : messages[i].msg_len};
            }
            return static_cast<std::size_t>(received);
        }
        if (errno == EINTR)
            continue;
        lastError_ = errno;
        const bool timedOut = errno == EAGAIN || errno == EWOULDBLOCK;
        results[0] = {timedOut ? ReceiveStatus::TimedOut : ReceiveStatus::Failed, 0};
        return 1;
    }
}
