#pragma once

#include <string>

// What Linux tells of an interface's kind, read from its folder under
// sysClassNet (normally /sys/class/net): for example "eth0 (Ethernet, driver e1000e)".
std::string describeInterface(const std::string &name, const std::string &sysClassNet);
