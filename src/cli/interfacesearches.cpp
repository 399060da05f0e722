#include "interfacesearches.h"

#include "discovery/searchdevices.h"

#include <memory>

InterfaceSearches::InterfaceSearches(QVector<NetworkInterface> interfaces, int quietTimeMs)
    : interfaces_(std::move(interfaces)), quietTimeMs_(quietTimeMs)
{
}

std::vector<InterfaceSearchResult> InterfaceSearches::run() const
{
    std::vector<InterfaceSearchResult> results(static_cast<std::size_t>(interfaces_.size()));
    std::vector<std::unique_ptr<SearchDevices>> searches;
    for (std::size_t i = 0; i < results.size(); ++i) {
        InterfaceSearchResult &result = results[i];
        result.interface = interfaces_[static_cast<int>(i)];
        auto search = std::make_unique<SearchDevices>();
        // Direct connections: each search writes only its own result, and wait() below
        // makes the writes visible here; no event loop is needed.
        QObject::connect(search.get(), &SearchDevices::setDeviceList,
                         [&result](const QStringList &replies) { result.replies = replies; });
        QObject::connect(search.get(), &SearchDevices::searchFailed,
                         [&result](const QString &message) { result.failure = message; });
        search->setInterfaceAddress(result.interface.address);
        search->setQuietTime(quietTimeMs_);
        search->start();
        searches.push_back(std::move(search));
    }
    for (const std::unique_ptr<SearchDevices> &search : searches)
        search->wait();
    return results;
}
