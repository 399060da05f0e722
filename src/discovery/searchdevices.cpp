#include "searchdevices.h"

#include "protocol.h"
#include "replyreceiver.h"
#include "udpsocket.h"

#include <QMutexLocker>

namespace {
// Room for a burst of replies, so the kernel does not drop them before the loop reads them.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
} // namespace

SearchDevices::SearchDevices(QObject *parent)
    : QThread(parent), quietTimeMs_(discovery::QuietTimeMs)
{
}

SearchDevices::~SearchDevices()
{
    requestInterruption();
    wait();
}

void SearchDevices::setInterfaceAddress(const QString &address)
{
    const QMutexLocker locker(&settingsLock_);
    interfaceAddress_ = address;
}

QString SearchDevices::interfaceAddress() const
{
    const QMutexLocker locker(&settingsLock_);
    return interfaceAddress_;
}

void SearchDevices::setQuietTime(int milliseconds)
{
    const QMutexLocker locker(&settingsLock_);
    quietTimeMs_ = milliseconds;
}

int SearchDevices::quietTime() const
{
    const QMutexLocker locker(&settingsLock_);
    return quietTimeMs_;
}

void SearchDevices::run()
{
    QStringList replies;
    if (const auto failure = collectReplies(interfaceAddress().toUtf8(), quietTime(), replies)) {
        emit searchFailed(*failure);
        return;
    }
    if (!isInterruptionRequested())
        emit setDeviceList(replies);
}

std::optional<QString> SearchDevices::collectReplies(const QByteArray &address, int quietTimeMs,
                                                     QStringList &replies) const
{
    const SocketLibrary library;
    if (!library.isStarted())
        return QStringLiteral("WSAStartup failed");
    UdpSocket socket;
    if (!socket.isOpen())
        return QStringLiteral("Socket creation failed");
    // A null address gives an empty text, which does not parse.
    if (!socket.bindTo(address.constData(), 0))
        return QStringLiteral("Bind to socket failed");
    if (!socket.allowBroadcast())
        return QStringLiteral("setsockopt broadcast failed");
    if (!socket.setReceiveTimeout(quietTimeMs))
        return QStringLiteral("setsockopt timeout failed");
    socket.requestReceiveBuffer(ReceiveBufferBytes);
    if (!socket.sendTo(discovery::RequestText, discovery::RequestSize, UdpSocket::BroadcastAddress,
                       discovery::Port))
        return QStringLiteral("sendto failed with error code: %1").arg(socket.lastError());

    discovery::receiveReplies(socket, replies, [this] { return isInterruptionRequested(); });
    return std::nullopt;
}
