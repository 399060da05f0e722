#include "adapters.h"

#include <cstdlib>
#include <cstring>
#include <memory>

// winsock2.h must come before anything that pulls in windows.h.
#include <winsock2.h>

#include <iphlpapi.h>

namespace {

struct FreeBuffer {
    void operator()(void *buffer) const { std::free(buffer); }
};
using AdapterBuffer = std::unique_ptr<IP_ADAPTER_INFO, FreeBuffer>;

AdapterBuffer allocate(ULONG size)
{
    return AdapterBuffer(static_cast<IP_ADAPTER_INFO *>(std::malloc(size)));
}

// The records' texts are fixed-size arrays; never read past one.
template <std::size_t N> std::string boundedText(const char (&text)[N])
{
    return std::string(text, strnlen(text, N));
}

} // namespace

std::optional<std::vector<Adapter>> queryAdapters()
{
    // The first call with room for one record learns the size the list needs;
    // the second call's answer alone decides.
    ULONG size = sizeof(IP_ADAPTER_INFO);
    AdapterBuffer buffer = allocate(size);
    if (!buffer)
        return std::nullopt;
    if (GetAdaptersInfo(buffer.get(), &size) != NO_ERROR) {
        buffer = allocate(size);
        if (!buffer)
            return std::nullopt;
    }
    if (GetAdaptersInfo(buffer.get(), &size) != NO_ERROR)
        return std::nullopt;

    std::vector<Adapter> adapters;
    for (const IP_ADAPTER_INFO *record = buffer.get(); record != nullptr; record = record->Next)
        adapters.push_back({boundedText(record->Description),
                            boundedText(record->IpAddressList.IpAddress.String)});
    return adapters;
}
