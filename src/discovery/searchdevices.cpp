#include "searchdevices.h"

#include "interfacesearch.h"
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
    const InterfaceSearch search = searchFrom(interfaceAddress(), discovery::QuietTimeMs,
                                              [this] { return isInterruptionRequested(); });
    if (search.failure)
        emit searchFailed(*search.failure);
    else if (!isInterruptionRequested())
        emit setDeviceList(search.replies);
}
