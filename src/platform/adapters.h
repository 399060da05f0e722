#pragma once

#include <optional>
#include <string>
#include <vector>

// What the platforms give for an adapter's address or netmask where it has none.
inline constexpr char NoIpv4Address[] = "0.0.0.0";

// The computer's network adapters as the platform lists them, kept free of Qt.
struct Adapter {
    std::string description; // human-readable, UTF-8
    std::string ipv4Address; // first IPv4 address, dotted decimal; NoIpv4Address when it has none
    std::string ipv4Netmask; // that address's netmask, dotted decimal; NoIpv4Address without one
    unsigned index = 0;      // the system's number for the interface; 0 where it gives none
    bool linkUp = true;      // up and with a carrier, where the platform tells
};

// In the platform's order; nothing when the platform gives no list (or an empty one).
std::optional<std::vector<Adapter>> queryAdapters();

// Microsoft virtual, VMware and Bluetooth adapters are no place to look for devices.
bool isListedAdapter(const std::string &description);
