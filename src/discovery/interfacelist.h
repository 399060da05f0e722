#pragma once

#include "adapters.h"

#include <QString>
#include <QVector>

// An adapter a search can run on, as the user picks it.
struct NetworkInterface {
    QString description;
    QString address; // IPv4, dotted decimal
};

// Microsoft virtual, VMware and Bluetooth adapters are no place to look for devices.
bool isListedAdapter(const QString &description);

// The listed adapters, in the platform's order.
QVector<NetworkInterface> listedInterfaces(const std::vector<Adapter> &adapters);
