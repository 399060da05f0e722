#include "searchdevices.h"

#include "protocol.h"
#include "replyreceiver.h"
#include "udpsocket.h"

#include <QMutexLocker>

namespace {
// Room for a burst of replies, so the kernel does not drop them before the loop reads them.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
} // namespace

SearchDevices::SearchDevices(QObject *parent) : QThread(parent) {}

SearchDevices::~SearchDevices()
{
    requestInterruption();
    wait();
}

void SearchDevices::setInterfaceAddress(const QString &address)
{
    const QMutexLocker locker(&addressLock_);
    interfaceAddress_ = address;
}

QString SearchDevices::interfaceAddress() const
{
    const QMutexLocker locker(&addressLock_);
    return interfaceAddress_;
}

void SearchDevices::run()
{
    QStringList replies;
    if (const auto failure = collectReplies(interfaceAddress().toUtf8(), replies)) {
        emit searchFailed(*failure);
        return;
    }
    if (!isInterruptionRequested())
        emit setDeviceList(replies);
}

std::optional<QString> SearchDevices::collectReplies(const QByteArray &address,
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
    if (!socket.setReceiveTimeout(discovery::QuietTimeMs))
        return QStringLiteral("setsockopt timeout failed");
    socket.requestReceiveBuffer(ReceiveBufferBytes);
    if (!socket.sendTo(discovery::RequestText, discovery::RequestSize, UdpSocket::BroadcastAddress,
                       discovery::Port))
        return QStringLiteral("sendto failed with error code: %1").arg(socket.lastError());

    discovery::receiveReplies(socket, replies, [this] { return isInterruptionRequested(); });
    return std::nullopt;
}
