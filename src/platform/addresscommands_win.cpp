#include "addresscommands.h"

// netsh takes the interface's index where its name would be the connection's name, which the
// adapter list does not carry. store=active: the address is gone at the next start at the latest.
AddressCommands addressCommands(const ExtraAddress &extra)
{
    const std::string where =
        " address name=" + std::to_string(extra.interfaceIndex) + " address=" + extra.address;
    return {"netsh interface ipv4 add" + where + " mask=" + extra.netmask + " store=active",
            "netsh interface ipv4 delete" + where};
}
