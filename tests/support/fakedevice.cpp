#include "fakedevice.h"

#include "discovery/protocol.h"
#include "discovery/udpsocket.h"

#include <QMutexLocker>
#include <chrono>

FakeDevice::FakeDevice(std::vector<Reply> script)
    : script_(std::move(script)), thread_([this] { serve(); })
{
    while (!ready_)
        std::this_thread::yield();
}

FakeDevice::~FakeDevice()
{
    stop_ = true;
    thread_.join();
}

void FakeDevice::floodAfterScript(const QByteArray &payload, int intervalMs)
{
    const QMutexLocker locker(&lock_);
    floodPayload_ = payload;
    floodIntervalMs_ = intervalMs;
}

QList<FakeDevice::Heard> FakeDevice::heard() const
{
    const QMutexLocker locker(&lock_);
    return heard_;
}

bool FakeDevice::pause(int ms) const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop_ && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return !stop_;
}

void FakeDevice::serve()
{
    const SocketLibrary library;
    UdpSocket socket;
    listening_ = socket.allowAddressReuse() && socket.bindTo("0.0.0.0", discovery::Port) &&
                 socket.setReceiveTimeout(20);
    ready_ = true;
    char buffer[2048];
    while (listening_ && !stop_) {
        const UdpSocket::Received received = socket.receive(buffer, sizeof buffer);
        if (received.status != UdpSocket::ReceiveStatus::Datagram)
            continue;
        QByteArray flood;
        int floodInterval = 0;
        {
            const QMutexLocker locker(&lock_);
            heard_.append({QByteArray(buffer, static_cast<int>(received.size)),
                           received.senderAddress, received.senderPort});
            flood = floodPayload_;
            floodInterval = floodIntervalMs_;
        }
        const auto answer = [&](const QByteArray &payload) {
            socket.sendTo(payload.constData(), static_cast<std::size_t>(payload.size()),
                          received.senderAddress, received.senderPort);
        };
        for (const Reply &reply : script_) {
            if (!pause(reply.delayMs))
                return;
            answer(reply.payload);
        }
        while (floodInterval > 0 && pause(floodInterval))
            answer(flood);
    }
}
