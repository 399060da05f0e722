#include "interfacesearches.h"

#include "discovery/protocol.h"

#include <thread>

std::vector<InterfaceSearchResult> searchInterfaces(const QVector<NetworkInterface> &interfaces,
                                                    int quietTimeMs,
                                                    const discovery::StopCheck &stopRequested)
{
    std::vector<InterfaceSearchResult> results;
    for (const NetworkInterface &interface : interfaces)
        results.push_back({interface, {}, std::nullopt});
    std::vector<std::thread> threads;
    for (InterfaceSearchResult &result : results) {
        threads.emplace_back([&result, quietTimeMs, &stopRequested] {
            const auto failure = discovery::broadcastSearch(
                result.interface.address.toUtf8().constData(), quietTimeMs,
                [&result](const char *bytes, std::size_t size) {
                    result.replies << discovery::replyText(bytes, size);
                },
                stopRequested);
            if (failure)
                result.failure = QString::fromStdString(*failure);
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return results;
}
