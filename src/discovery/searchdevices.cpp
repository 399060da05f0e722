#include "searchdevices.h"

#include "broadcastsearch.h"
#include "protocol.h"

#include <QMutexLocker>

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
    const BroadcastSearch search([this] { return isInterruptionRequested(); });
    // A null address gives an empty text, which does not parse.
    const std::optional<std::string> failure = search.run(
        address.constData(), quietTimeMs, [&replies](const char *bytes, std::size_t size) {
            replies.append(discovery::replyText(bytes, size));
        });
    if (failure)
        return QString::fromStdString(*failure);
    return std::nullopt;
}
