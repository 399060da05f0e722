#pragma once

#include "platform/adapters.h"

#include <QString>
#include <QVector>
#include <optional>

// An adapter a search can run on, as the user picks it.
struct NetworkInterface {
    QString description;
    QString address;    // IPv4, dotted decimal
    QString netmask;    // of that address
    unsigned index = 0; // the system's number for it, which some of its commands take
    bool linkUp = true;

    // "eth0" of "eth0 (Ethernet)"; a Windows description, which starts with no name, whole.
    QString name() const;
    bool hasAddress() const { return address != QLatin1String(NoIpv4Address); }
    // Listed where the system has it, but no place to look for devices.
    bool isLoopback() const { return address.startsWith(QLatin1String("127.")); }
};

// The platform's adapter list; tests hand in their own.
using AdapterQuery = std::optional<std::vector<Adapter>> (*)();

// What the user hears where the platform gives no adapter list.
inline constexpr char NoInterfacesDetected[] = "No network interfaces detected";

// The adapters isListedAdapter keeps, in the platform's order.
QVector<NetworkInterface> listedInterfaces(const std::vector<Adapter> &adapters);

// Why no search can run from the interface, before any traffic; nothing where one can.
std::optional<QString> whyUnsearchable(const NetworkInterface &interface);

// Where devices may answer: an interface a search can run on, loopback aside.
bool isDeviceNetwork(const NetworkInterface &interface);
