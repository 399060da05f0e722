#include "addresscommands.h"

AddressCommands addressCommands(const ExtraAddress &extra)
{
    const std::string what =
        extra.address + '/' + std::to_string(extra.prefixLength) + " dev " + extra.interfaceName;
    return {"ip address add " + what, "ip address del " + what};
}
