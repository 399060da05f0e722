#pragma once

#include "simulatorconfig.h"

#include <QNetworkDatagram>
#include <QObject>
#include <QUdpSocket>

// One or many simulated devices behind one UDP socket on the discovery port.
class DeviceSimulator : public QObject {
    Q_OBJECT

public:
    explicit DeviceSimulator(SimulatorConfig config, QObject *parent = nullptr);

    // Binds the socket; false with the reason in errorString().
    bool start();
    QString errorString() const { return socket_.errorString(); }
    QString listeningOn() const;

signals:
    // A line for standard output: a request heard, or a round of answers sent.
    void reported(const QString &line);
    // A line for standard error: what was ignored, or could not be sent.
    void complained(const QString &line);
    // The last of the requested answers has gone out.
    void finished();

private:
    void readPendingDatagrams();
    void answer(const QNetworkDatagram &request);
    // One round: a datagram per device, or the raw payloads.
    QList<QByteArray> round(const QNetworkDatagram &request) const;
    void send(const QList<QByteArray> &payloads, const QHostAddress &to, quint16 port);

    SimulatorConfig config_;
    QUdpSocket socket_;
    int requestsIgnored_ = 0;
    int requestsAnswered_ = 0;
};
