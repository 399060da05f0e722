#include "searchdevices.h"

#include "broadcastsearch.h"
#include "protocol.h"

#include <QMutexLocker>

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
    // A null address gives an empty text, which does not bind.
    const std::optional<std::string> failure = discovery::broadcastSearch(
        interfaceAddress().toUtf8().constData(), discovery::QuietTimeMs,
        [&replies](const char *bytes, std::size_t size) {
            replies.append(discovery::replyText(bytes, size));
        },
        [this] { return isInterruptionRequested(); });
    if (failure)
        emit searchFailed(QString::fromStdString(*failure));
    else if (!isInterruptionRequested())
        emit setDeviceList(replies);
}
