// For probe-adapters, per argument: "adapters" lists "DESCRIPTION ADDRESS NETMASK" (or "no list");
// an address searches from it, and prints why that failed or "listened".
#include "platform/adapters.h"
#include "platform/broadcastsearch.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) != "adapters") {
            const auto failure = discovery::broadcastSearch(
                argv[i], 300, [](const char *, std::size_t) {}, [] { return false; });
            std::printf("%s\n", failure.value_or("listened").c_str());
            continue;
        }
        const auto adapters = queryAdapters();
        if (!adapters)
            std::printf("no list\n");
        for (const Adapter &adapter : adapters.value_or(std::vector<Adapter>{}))
            std::printf("%s %s %s\n", adapter.description.c_str(), adapter.ipv4Address.c_str(),
                        adapter.ipv4Netmask.c_str());
    }
    return 0;
}
