// The Winsock 2 side of the platform layer under Wine, on the private
// namespace's loopback: error numbers, the DWORD time-out, datagram sizes.

#include "check.h"
#include "discovery/udpsocket.h"

#include <winsock2.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace {

constexpr std::uint32_t Loopback = 0x7F000001u;

long long millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

void malformedAddresses()
{
    const char *const texts[] = {"",      "127.0.0.256", "127.0.0.1x",    " 127.0.0.1",
                                 "127.1", "1.2.3.4.5",   "lo (loopback)", "::1"};
    for (const char *text : texts) {
        check::row(std::string("malformed address refused: \"") + text + "\"", [text] {
            std::uint32_t address = 0;
            CHECK(!parseIpv4(text, address));
            UdpSocket socket;
            CHECK(!socket.bindTo(text, 0));
            CHECK_EQ(socket.lastError(), WSAEINVAL);
        });
    }
    check::row("no address text at all", [] {
        UdpSocket socket;
        CHECK(!socket.bindTo(nullptr, 0));
        CHECK_EQ(socket.lastError(), WSAEINVAL);
    });
    check::row("dotted decimal parses in host byte order", [] {
        std::uint32_t address = 0;
        CHECK(parseIpv4("127.0.0.1", address));
        CHECK_EQ(address, Loopback);
        CHECK(parseIpv4("255.255.255.255", address));
        CHECK_EQ(address, UdpSocket::BroadcastAddress);
        CHECK(parseIpv4("10.1.2.3", address));
        CHECK_EQ(address, 0x0A010203u);
    });
}

void failures()
{
    // Windows refuses this bind with WSAEADDRNOTAVAIL. Wine binds datagram
    // sockets to the any-address instead, so here the failure comes at the send.
    check::row("address not on this host: no route for its broadcast", [] {
        UdpSocket socket;
        CHECK(socket.bindTo("192.0.2.1", 0));
        CHECK(socket.allowBroadcast());
        CHECK(!socket.sendTo("x", 1, UdpSocket::BroadcastAddress, 49999));
        CHECK_EQ(socket.lastError(), WSAENETUNREACH);
    });
    check::row("broadcast without a route from the any-address", [] {
        UdpSocket socket;
        CHECK(socket.bindTo("0.0.0.0", 0));
        CHECK(socket.allowBroadcast());
        CHECK(!socket.sendTo("x", 1, UdpSocket::BroadcastAddress, 49999));
        CHECK_EQ(socket.lastError(), WSAENETUNREACH);
    });
    check::row("broadcast refused before it is allowed", [] {
        UdpSocket socket;
        CHECK(socket.bindTo("127.0.0.1", 0));
        CHECK(!socket.sendTo("x", 1, UdpSocket::BroadcastAddress, 49999));
        CHECK_EQ(socket.lastError(), WSAEACCES);
    });
}

void receiveTimeouts()
{
    struct Row {
        const char *name;
        int timeoutMs;
        long long atLeastMs;
        long long belowMs;
    };
    // A time-out given in the wrong unit would end far sooner or far later.
    const Row rows[] = {
        {"receive time-out of 300 ms as DWORD milliseconds", 300, 250, 2000},
        {"receive time-out of one second as DWORD milliseconds", 1000, 900, 3000},
    };
    for (const Row &row : rows) {
        check::row(row.name, [&row] {
            UdpSocket socket;
            CHECK(socket.bindTo("127.0.0.1", 0));
            CHECK(socket.setReceiveTimeout(row.timeoutMs));
            char buffer[16];
            const auto start = std::chrono::steady_clock::now();
            const UdpSocket::Received received = socket.receive(buffer, sizeof buffer);
            const long long elapsed = millisecondsSince(start);
            CHECK(received.status == UdpSocket::ReceiveStatus::TimedOut);
            CHECK(elapsed >= row.atLeastMs);
            CHECK(elapsed < row.belowMs);
            std::printf("  timed out after %lld ms\n", elapsed);
        });
    }
}

void datagramSizes()
{
    struct Row {
        const char *name;
        std::size_t size;
        UdpSocket::ReceiveStatus status;
    };
    const Row rows[] = {
        {"empty datagram arrives", 0, UdpSocket::ReceiveStatus::Datagram},
        {"datagram filling the buffer arrives", 256, UdpSocket::ReceiveStatus::Datagram},
        {"one byte over the buffer is oversized", 257, UdpSocket::ReceiveStatus::Oversized},
        {"300 bytes are oversized", 300, UdpSocket::ReceiveStatus::Oversized},
    };
    for (const Row &row : rows) {
        check::row(row.name, [&row] {
            UdpSocket receiver;
            UdpSocket sender;
            CHECK(receiver.bindTo("127.0.0.1", 0));
            CHECK(receiver.setReceiveTimeout(2000));
            CHECK(sender.bindTo("127.0.0.1", 0));
            const std::string payload(row.size, 'q');
            CHECK(sender.sendTo(payload.data(), payload.size(), Loopback, receiver.localPort()));
            CHECK(sender.sendTo("after", 5, Loopback, receiver.localPort()));

            char buffer[256];
            const UdpSocket::Received first = receiver.receive(buffer, sizeof buffer);
            CHECK(first.status == row.status);
            if (row.status == UdpSocket::ReceiveStatus::Datagram) {
                CHECK_EQ(first.size, row.size);
                CHECK(std::string(buffer, first.size) == payload);
            }
            // What did not fit is gone; the next datagram comes whole.
            const UdpSocket::Received second = receiver.receive(buffer, sizeof buffer);
            CHECK(second.status == UdpSocket::ReceiveStatus::Datagram);
            CHECK_EQ(std::string(buffer, second.size), std::string("after"));
            CHECK_EQ(second.senderAddress, Loopback);
            CHECK_EQ(second.senderPort, sender.localPort());
        });
    }
    check::row("bound to port 0, the socket gets a port of its own", [] {
        UdpSocket socket;
        CHECK(socket.bindTo("127.0.0.1", 0));
        CHECK(socket.localPort() != 0);
    });
}

} // namespace

int main()
{
    const SocketLibrary library;
    check::row("Winsock 2 starts", [&library] { CHECK(library.isStarted()); });
    malformedAddresses();
    failures();
    receiveTimeouts();
    datagramSizes();
    return check::finish();
}
