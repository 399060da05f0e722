#pragma once

// Included after the platform's socket headers, which declare sockaddr_in, htons and htonl.

#include <cstdint>

inline sockaddr_in socketAddress(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(address);
    return result;
}
