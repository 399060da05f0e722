#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

// Runs one discovery search per start() on a thread of its own: broadcasts the
// request from the interface address and collects replies until a second
// passes without one.
class SearchDevices : public QThread {
    Q_OBJECT

public:
    explicit SearchDevices(QObject *parent = nullptr);
    // Stops a running search and waits for its thread.
    ~SearchDevices() override;

    // Takes effect with the next search; a running one keeps its address.
    void setInterfaceAddress(const QString &address);

signals:
    // Once at the end of every search that got as far as listening; not after a stop request.
    void setDeviceList(QStringList deviceList);
    // The text for the user when a search could not run.
    void searchFailed(QString message);

protected:
    void run() override;

private:
    QString interfaceAddress() const;

    mutable QMutex addressLock_;
    QString interfaceAddress_;
};
