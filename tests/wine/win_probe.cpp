// Prints what the Windows platform layer sees, for under-wine to compare:
//   win_probe adapters              -- "DESCRIPTION ADDRESS" per adapter, or "no list"
//   win_probe search ADDRESS QUIET  -- "reply HEX" per reply, then the outcome
#include "discovery/adapters.h"
#include "discovery/broadcastsearch.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "adapters" && argc == 2) {
        const auto adapters = queryAdapters();
        if (!adapters)
            std::printf("no list\n");
        for (const Adapter &adapter : adapters.value_or(std::vector<Adapter>{}))
            std::printf("%s %s\n", adapter.description.c_str(), adapter.ipv4Address.c_str());
        return 0;
    }
    if (command == "search" && argc == 4) {
        const auto start = std::chrono::steady_clock::now();
        const auto failure = discovery::broadcastSearch(
            argv[2], std::atoi(argv[3]),
            [](const char *bytes, std::size_t size) {
                std::printf("reply ");
                for (std::size_t i = 0; i < size; ++i)
                    std::printf("%02x", static_cast<unsigned char>(bytes[i]));
                std::printf("\n");
            },
            [] { return false; });
        const auto took = std::chrono::steady_clock::now() - start;
        std::printf("%s\ntook %lld ms\n", failure.value_or("listened").c_str(),
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        return 0;
    }
    std::fprintf(stderr, "usage: win_probe adapters | search ADDRESS QUIET_MS\n");
    return 2;
}
