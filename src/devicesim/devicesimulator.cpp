#include "devicesimulator.h"

#include "discovery/protocol.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QTimer>

namespace {

QString endpoint(const QHostAddress &address, quint16 port)
{
    return QStringLiteral("%1:%2").arg(address.toString()).arg(port);
}

// The n-th address after a dotted-decimal one, or the text unchanged when it is none.
QString countUpAddress(const QString &text, int n)
{
    QHostAddress address;
    if (n == 0 || !address.setAddress(text) || address.protocol() != QAbstractSocket::IPv4Protocol)
        return text;
    return QHostAddress(address.toIPv4Address() + static_cast<quint32>(n)).toString();
}

QString countUpMac(const QString &text, int n)
{
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    if (n == 0 || bytes.size() != 6)
        return text;
    const quint64 value = bytes.toHex().toULongLong(nullptr, 16) + static_cast<quint64>(n);
    const QByteArray counted = QByteArray::number(value, 16).rightJustified(12, '0').right(12);
    return QString::fromLatin1(QByteArray::fromHex(counted).toHex(':').toUpper());
}

} // namespace

DeviceSimulator::DeviceSimulator(SimulatorConfig config, QObject *parent)
    : QObject(parent), config_(std::move(config))
{
    connect(&socket_, &QUdpSocket::readyRead, this, &DeviceSimulator::readPendingDatagrams);
}

bool DeviceSimulator::start()
{
    return socket_.bind(config_.listenAddress, config_.port, QAbstractSocket::ShareAddress);
}

QString DeviceSimulator::listeningOn() const
{
    return endpoint(socket_.localAddress(), socket_.localPort());
}

void DeviceSimulator::readPendingDatagrams()
{
    while (socket_.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket_.receiveDatagram(65536);
        const QByteArray request(discovery::RequestText, discovery::RequestSize);
        const QString from =
            endpoint(datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()));
        if (datagram.data() != request) {
            emit complained(
                QStringLiteral("ignored %1 bytes from %2").arg(datagram.data().size()).arg(from));
            continue;
        }
        emit reported(QStringLiteral("request %1 -> %2 %3 bytes")
                          .arg(from, endpoint(datagram.destinationAddress(),
                                              static_cast<quint16>(datagram.destinationPort())))
                          .arg(datagram.data().size()));
        answer(datagram);
    }
}

void DeviceSimulator::answer(const QNetworkDatagram &request)
{
    if (requestsIgnored_ < config_.ignored) {
        ++requestsIgnored_;
        return;
    }
    if (config_.requests > 0 && requestsAnswered_ >= config_.requests)
        return;
    const bool last = ++requestsAnswered_ == config_.requests;
    const QList<QByteArray> payloads = round(request);
    const QHostAddress to = request.senderAddress();
    const auto port = static_cast<quint16>(request.senderPort());
    for (int k = 0; k < config_.repeat; ++k) {
        const int at = config_.delayMs + k * config_.intervalMs;
        const bool finalRound = last && k == config_.repeat - 1;
        const auto sendRound = [=] {
            send(payloads, to, port);
            emit reported(QStringLiteral("answered %1 with %2 datagrams")
                              .arg(endpoint(to, port))
                              .arg(payloads.size()));
            if (finalRound)
                emit finished();
        };
        if (at == 0)
            sendRound();
        else
            QTimer::singleShot(at, this, sendRound);
    }
}

QList<QByteArray> DeviceSimulator::round(const QNetworkDatagram &request) const
{
    if (!config_.rawPayloads.isEmpty())
        return config_.rawPayloads;

    // Fields not given come from the interface the request came in on.
    const QNetworkInterface interface =
        QNetworkInterface::interfaceFromIndex(request.interfaceIndex());
    QNetworkAddressEntry entry;
    for (const QNetworkAddressEntry &candidate : interface.addressEntries()) {
        if (candidate.ip().protocol() == QAbstractSocket::IPv4Protocol) {
            entry = candidate;
            break;
        }
    }
    const QString hostname =
        config_.hostname.isEmpty() ? QHostInfo::localHostName() : config_.hostname;
    const QString ip = config_.ip.isEmpty() ? entry.ip().toString() : config_.ip;
    const QString netmask =
        config_.netmask.isEmpty() ? entry.netmask().toString() : config_.netmask;
    QString mac = config_.mac.isEmpty() ? interface.hardwareAddress() : config_.mac;
    if (mac.isEmpty())
        mac = QStringLiteral("00:00:00:00:00:00");

    QList<QByteArray> records;
    records.reserve(config_.devices);
    for (int n = 0; n < config_.devices; ++n) {
        const QString number = config_.devices == 1 ? QString() : QStringLiteral("-%1").arg(n + 1);
        records.append(QStringList{hostname + number, countUpAddress(ip, n), netmask,
                                   countUpMac(mac, n), config_.product, config_.serial + number,
                                   config_.firmware}
                           .join(QLatin1Char('|'))
                           .toUtf8());
    }
    return records;
}

void DeviceSimulator::send(const QList<QByteArray> &payloads, const QHostAddress &to, quint16 port)
{
    for (const QByteArray &payload : payloads) {
        // A full send buffer is only a pause: wait for room and try again.
        while (socket_.writeDatagram(payload, to, port) < 0) {
            if (socket_.error() != QAbstractSocket::TemporaryError) {
                emit complained(QStringLiteral("could not answer %1: %2")
                                    .arg(endpoint(to, port), socket_.errorString()));
                return;
            }
            socket_.waitForBytesWritten(10);
        }
    }
}
