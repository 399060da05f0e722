#include "udpsocket.h"

#include <winsock2.h>

#include <mswsock.h>

#include "socketaddress.h"

namespace {

SOCKET sock(std::intptr_t handle)
{
    return static_cast<SOCKET>(handle);
}

} // namespace

SocketLibrary::SocketLibrary()
{
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 0), &data) == 0;
}

SocketLibrary::~SocketLibrary()
{
    if (started_)
        WSACleanup();
}

UdpSocket::UdpSocket()
    : handle_(static_cast<std::intptr_t>(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)))
{
    if (!isOpen()) {
        lastError_ = WSAGetLastError();
        return;
    }
    // Winsock would end the next receive with WSAECONNRESET for a port-unreachable a request to
    // an address without a device brought back; the replies behind it still count.
    BOOL reportResets = FALSE;
    DWORD returned = 0;
    WSAIoctl(sock(handle_), SIO_UDP_CONNRESET, &reportResets, sizeof reportResets, nullptr, 0,
             &returned, nullptr, nullptr);
}

UdpSocket::~UdpSocket()
{
    if (isOpen())
        ::closesocket(sock(handle_));
}

bool UdpSocket::isOpen() const
{
    return sock(handle_) != INVALID_SOCKET;
}

bool UdpSocket::recordFailure()
{
    lastError_ = WSAGetLastError();
    return false;
}

bool UdpSocket::bindTo(std::uint32_t address, std::uint16_t port)
{
    const sockaddr_in local = socketAddress(address, port);
    return ::bind(sock(handle_), reinterpret_cast<const sockaddr *>(&local), sizeof local) == 0 ||
           recordFailure();
}

bool UdpSocket::allowBroadcast()
{
    const BOOL on = TRUE;
    return ::setsockopt(sock(handle_), SOL_SOCKET, SO_BROADCAST,
                        reinterpret_cast<const char *>(&on), sizeof on) == 0 ||
           recordFailure();
}

bool UdpSocket::setReceiveTimeout(int milliseconds)
{
    // Winsock takes the time-out as a DWORD of milliseconds.
    const DWORD timeout = static_cast<DWORD>(milliseconds);
    return ::setsockopt(sock(handle_), SOL_SOCKET, SO_RCVTIMEO,
                        reinterpret_cast<const char *>(&timeout), sizeof timeout) == 0 ||
           recordFailure();
}

void UdpSocket::requestReceiveBuffer(int bytes)
{
    ::setsockopt(sock(handle_), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&bytes),
                 sizeof bytes);
}

bool UdpSocket::sendTo(const void *data, std::size_t size, std::uint32_t address,
                       std::uint16_t port)
{
    const sockaddr_in destination = socketAddress(address, port);
    const int sent =
        ::sendto(sock(handle_), static_cast<const char *>(data), static_cast<int>(size), 0,
                 reinterpret_cast<const sockaddr *>(&destination), sizeof destination);
    return sent != SOCKET_ERROR || recordFailure();
}

bool UdpSocket::waitForDatagram(int milliseconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(sock(handle_), &readable);
    timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000}; // select() takes no const
    const int ready = ::select(0, &readable, nullptr, nullptr, &timeout);
    lastError_ = ready == SOCKET_ERROR ? WSAGetLastError() : 0;
    return ready > 0;
}

std::size_t UdpSocket::receiveMany(char *buffer, std::size_t slotSize, Received *results,
                                   std::size_t)
{
    // Winsock has no batch receive for datagrams: one at a time. Winsock 2 ends a blocking
    // call with WSAEINTR only when 1.1's WSACancelBlockingCall asks, which nothing here does.
    const int length = ::recv(sock(handle_), buffer, static_cast<int>(slotSize), 0);
    if (length != SOCKET_ERROR) {
        results[0] = {ReceiveStatus::Datagram, static_cast<std::size_t>(length)};
        return 1;
    }
    lastError_ = WSAGetLastError();
    // Winsock reports a datagram that did not fit as an error.
    results[0] = {lastError_ == WSAEMSGSIZE    ? ReceiveStatus::Oversized
                  : lastError_ == WSAETIMEDOUT ? ReceiveStatus::TimedOut
                                               : ReceiveStatus::Failed,
                  0};
    return 1;
}
