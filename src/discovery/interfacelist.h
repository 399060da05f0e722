#pragma once

#include "adapters.h"

#include <QString>
#include <QVector>

// An adapter a search can run on, as the user picks it.
struct NetworkInterface {
    QString description;
    QString address;    // IPv4, dotted decimal
    QString netmask;    // of that address
    unsigned index = 0; // the system's number for it, which some of its commands take
    bool linkUp = true;

    // "eth0" of "eth0 (Ethernet)"; a Windows description, which starts with no name, whole.
    QString name() const;
    // Listed where the system has it, but no place to look for devices.
    bool isLoopback() const { return address.startsWith(QLatin1String("127.")); }
};

// The adapters isListedAdapter keeps, in the platform's order.
QVector<NetworkInterface> listedInterfaces(const std::vector<Adapter> &adapters);
