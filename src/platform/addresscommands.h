#pragma once

#include <string>

// The system's own commands that give one of its interfaces a further IPv4 address, and take
// it away again: shown to the user, who runs them with administrator rights; never run here.
struct AddressCommands {
    std::string add;
    std::string remove;
};

// The interface as the user picked it: its name, or where the system's tool wants a number
// instead, its index. The address dotted decimal, with its netmask both ways.
struct ExtraAddress {
    std::string interfaceName;
    unsigned interfaceIndex;
    std::string address;
    std::string netmask;
    int prefixLength;
};

AddressCommands addressCommands(const ExtraAddress &extra);
