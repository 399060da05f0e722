// For under-wine, per argument: "adapters" lists "DESCRIPTION ADDRESS NETMASK" (or "no list");
// an address searches from it with a quiet time of 300 ms.
#include "discovery/adapters.h"
#include "discovery/broadcastsearch.h"

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "adapters") {
            const auto adapters = queryAdapters();
            if (!adapters)
                std::printf("no list\n");
            for (const Adapter &adapter : adapters.value_or(std::vector<Adapter>{}))
                std::printf("%s %s %s\n", adapter.description.c_str(), adapter.ipv4Address.c_str(),
                            adapter.ipv4Netmask.c_str());
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        const auto failure = discovery::broadcastSearch(
            argv[i], 300,
            [](const char *bytes, std::size_t size) {
                std::printf("reply %.*s\n", static_cast<int>(size), bytes);
            },
            [] { return false; });
        const auto took = std::chrono::steady_clock::now() - start;
        std::printf("%s\ntook %d ms\n", failure.value_or("listened").c_str(),
                    int(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    }
    return 0;
}
