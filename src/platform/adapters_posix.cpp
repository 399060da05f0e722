#include "adapters_posix.h"

#include "adapters.h"

#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <ifaddrs.h>
#include <map>
#include <memory>
#include <net/if.h>
#include <netinet/in.h>

namespace fs = std::filesystem;

namespace {

constexpr int ArphrdEther = 1;
constexpr int ArphrdLoopback = 772;

std::string firstLine(const fs::path &file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string ueventValue(const fs::path &interfaceDir, const std::string &key)
{
    std::ifstream in(interfaceDir / "uevent");
    const std::string prefix = key + "=";
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    }
    return {};
}

std::string driverName(const fs::path &interfaceDir)
{
    std::error_code error;
    const fs::path driver = fs::read_symlink(interfaceDir / "device" / "driver", error);
    return error ? std::string() : driver.filename().string();
}

std::string dottedDecimal(const sockaddr *address)
{
    char text[INET_ADDRSTRLEN] = {};
    const auto *ipv4 = reinterpret_cast<const sockaddr_in *>(address);
    if (address == nullptr || inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) == nullptr)
        return NoIpv4Address;
    return text;
}

// What getifaddrs tells of one interface.
struct InterfaceState {
    std::string address = NoIpv4Address; // the first IPv4 one
    std::string netmask = NoIpv4Address;
    bool linkUp = true;
};

std::map<std::string, InterfaceState> interfaceStates()
{
    std::map<std::string, InterfaceState> states;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return states;
    const std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(list, freeifaddrs);
    std::map<std::string, bool> hasAddress;
    for (const ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
        InterfaceState &state = states[entry->ifa_name];
        // IFF_RUNNING: the kernel's word for a carrier (or a link that cannot tell).
        state.linkUp = (entry->ifa_flags & IFF_UP) && (entry->ifa_flags & IFF_RUNNING);
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            hasAddress[entry->ifa_name])
            continue;
        hasAddress[entry->ifa_name] = true;
        state.address = dottedDecimal(entry->ifa_addr);
        state.netmask = dottedDecimal(entry->ifa_netmask);
    }
    return states;
}

} // namespace

std::string describeInterface(const std::string &name, const std::string &sysClassNet)
{
    const fs::path dir = fs::path(sysClassNet) / name;
    const std::string deviceType = ueventValue(dir, "DEVTYPE");
    const std::string driver = driverName(dir);
    const bool wireless = deviceType == "wlan" || fs::exists(dir / "wireless");
    int linkType = -1;
    try {
        linkType = std::stoi(firstLine(dir / "type"));
    } catch (const std::exception &) {
    }

    std::string kinds;
    const auto add = [&kinds](const std::string &kind) {
        kinds += (kinds.empty() ? "" : ", ") + kind;
    };
    if (linkType == ArphrdLoopback)
        add("loopback");
    if (deviceType == "bluetooth")
        add("Bluetooth");
    else if (wireless)
        add("wireless");
    else if (linkType == ArphrdEther)
        add("Ethernet");
    if (!deviceType.empty() && deviceType != "bluetooth" && deviceType != "wlan")
        add(deviceType);
    // VMware's host adapters are virtual devices with no driver link; their name tells.
    if (name.compare(0, 5, "vmnet") == 0 || driver == "vmnet")
        add("VMware virtual adapter");
    else if (!driver.empty())
        add("driver " + driver);

    return kinds.empty() ? name : name + " (" + kinds + ")";
}

std::optional<std::vector<Adapter>> queryAdapters()
{
    using NameIndex = struct if_nameindex;
    const std::unique_ptr<NameIndex[], decltype(&if_freenameindex)> names(if_nameindex(),
                                                                          if_freenameindex);
    if (!names)
        return std::nullopt;

    const auto states = interfaceStates();
    std::vector<Adapter> adapters;
    for (const NameIndex *entry = names.get(); entry->if_index != 0; ++entry) {
        const auto found = states.find(entry->if_name);
        const InterfaceState state = found == states.end() ? InterfaceState() : found->second;
        adapters.push_back({describeInterface(entry->if_name, "/sys/class/net"), state.address,
                            state.netmask, entry->if_index, state.linkUp});
    }
    if (adapters.empty())
        return std::nullopt;
    return adapters;
}
