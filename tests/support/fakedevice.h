#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QMutex>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

// A device of our own on the discovery port: it records every datagram it
// hears and answers each one with its script, over real sockets.
class FakeDevice {
public:
    struct Reply {
        int delayMs; // after the previous reply, or after the request for the first
        QByteArray payload;
    };
    struct Heard {
        QByteArray payload;
        std::uint32_t senderAddress;
        std::uint16_t senderPort;
    };

    explicit FakeDevice(std::vector<Reply> script = {});
    ~FakeDevice();
    FakeDevice(const FakeDevice &) = delete;
    FakeDevice &operator=(const FakeDevice &) = delete;

    // After the script, keep sending this payload every intervalMs until destroyed.
    void floodAfterScript(const QByteArray &payload, int intervalMs);

    bool isListening() const { return listening_; }
    QList<Heard> heard() const;

private:
    void serve();
    bool pause(int ms) const;

    std::vector<Reply> script_;
    QByteArray floodPayload_;
    int floodIntervalMs_ = 0;
    mutable QMutex lock_;
    QList<Heard> heard_;
    std::atomic<bool> listening_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> ready_{false};
    std::thread thread_;
};

// Scripts go into data-driven tests as a column.
Q_DECLARE_METATYPE(std::vector<FakeDevice::Reply>)
