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

// The records' texts are in the ANSI code page, not UTF-8.
template <std::size_t N> std::string utf8Text(const char (&text)[N])
{
    const std::string ansi = boundedText(text);
    if (ansi.empty())
        return ansi;
    const int ansiLength = static_cast<int>(ansi.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansiLength, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansiLength, wide.data(), wideLength);
    const int utf8Length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr,
                        nullptr);
    return utf8;
}

// Unknown counts as up: a search there at worst hears nothing.
bool isLinkUp(DWORD adapterIndex)
{
    MIB_IFROW row{};
    row.dwIndex = adapterIndex;
    if (GetIfEntry(&row) != NO_ERROR)
        return true;
    return row.dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL ||
           row.dwOperStatus == MIB_IF_OPER_STATUS_CONNECTED;
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
        adapters.push_back({utf8Text(record->Description),
                            boundedText(record->IpAddressList.IpAddress.String),
                            boundedText(record->IpAddressList.IpMask.String), record->Index,
                            isLinkUp(record->Index)});
    return adapters;
}
