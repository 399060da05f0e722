#pragma once

#include <cstddef>
#include <cstdint>

// The socket calls a discovery search makes, kept free of Qt so that each
// platform's implementation can be built and tested on its own.

// Holds the platform's socket library open for its lifetime (Winsock needs
// starting; POSIX has nothing to start).
class SocketLibrary {
public:
    SocketLibrary();
    ~SocketLibrary();
    SocketLibrary(const SocketLibrary &) = delete;
    SocketLibrary &operator=(const SocketLibrary &) = delete;

    bool isStarted() const { return started_; }

private:
    bool started_ = false;
};

// One IPv4 UDP socket, closed when the object goes.
class UdpSocket {
public:
    enum class ReceiveStatus {
        Datagram,  // a whole datagram is in the buffer
        Oversized, // a datagram larger than the buffer arrived and was dropped
        TimedOut,  // the receive time-out passed without a datagram
        Failed,    // any other failure
    };

    struct Received {
        ReceiveStatus status;
        std::size_t size; // bytes in the buffer, for a Datagram
    };

    static constexpr std::uint32_t BroadcastAddress = 0xFFFFFFFFu;

    // Needs a started SocketLibrary.
    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket &) = delete;
    UdpSocket &operator=(const UdpSocket &) = delete;

    bool isOpen() const;

    bool bindTo(std::uint32_t address, std::uint16_t port);
    bool allowBroadcast();
    bool setReceiveTimeout(int milliseconds);
    // Best effort: the system may grant less.
    void requestReceiveBuffer(int bytes);

    bool sendTo(const void *data, std::size_t size, std::uint32_t address, std::uint16_t port);
    // Waits at most this long for a datagram to receive. False on time-out and on failure
    // (lastError() tells which: 0 for a time-out).
    bool waitForDatagram(int milliseconds);
    // Up to maxCount datagrams with one call where the platform can: waits at
    // most the receive time-out for the first and takes what else is already
    // queued. Datagram i lands at buffer + i * slotSize. Returns how many
    // results it wrote, at least one; a TimedOut or Failed result comes alone.
    std::size_t receiveMany(char *buffer, std::size_t slotSize, Received *results,
                            std::size_t maxCount);

    // The platform's error number of the last call that failed.
    int lastError() const { return lastError_; }

private:
    bool recordFailure();

    std::intptr_t handle_;
    int lastError_ = 0;
};
