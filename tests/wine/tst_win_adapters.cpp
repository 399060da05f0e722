// The Windows adapter list (GetAdaptersInfo) as Wine reports the interfaces
// that tests/wine/adapter-bed lays out in the private network namespace.

#include "check.h"
#include "discovery/adapters.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Adapters = std::vector<Adapter>;

std::string joined(const Adapters &adapters)
{
    std::string text;
    for (const Adapter &adapter : adapters)
        text += "[" + adapter.description + " " + adapter.ipv4Address + "]";
    return text;
}

const Adapter *find(const Adapters &adapters, const std::string &description)
{
    const auto found = std::find_if(adapters.begin(), adapters.end(),
                                    [&](const Adapter &a) { return a.description == description; });
    return found == adapters.end() ? nullptr : &*found;
}

void noneBed()
{
    check::row("loopback alone gives no list", [] { CHECK(!queryAdapters().has_value()); });
}

void oneBed()
{
    check::row("one adapter fits the first call's buffer", [] {
        const auto adapters = queryAdapters();
        CHECK(adapters.has_value());
        if (adapters)
            CHECK_EQ(joined(*adapters), std::string("[lan0 10.78.0.5]"));
    });
}

void manyBed()
{
    const auto queried = queryAdapters();
    const Adapters adapters = queried.value_or(Adapters{});

    check::row("second call brings the whole list in interface order", [&] {
        CHECK(queried.has_value());
        std::vector<std::string> descriptions;
        for (const Adapter &adapter : adapters)
            descriptions.push_back(adapter.description);
        const std::vector<std::string> expected{
            "lan0", "noaddr0", "down0", "VMware-net1", "Bluetooth-PAN", "caf\xc3\xa9", "last0"};
        CHECK(descriptions == expected);
        if (descriptions != expected)
            std::printf("  got %s\n", joined(adapters).c_str());
    });

    struct Row {
        const char *name;
        const char *description;
        const char *address;
    };
    const Row rows[] = {
        {"first of two addresses", "lan0", "10.78.0.5"},
        {"no address gives 0.0.0.0", "noaddr0", "0.0.0.0"},
        {"down adapter keeps its address", "down0", "10.79.0.1"},
        {"non-ASCII name arrives as UTF-8", "caf\xc3\xa9", "10.75.0.1"},
        {"adapter after the non-ASCII one", "last0", "10.74.0.9"},
    };
    for (const Row &row : rows) {
        check::row(row.name, [&] {
            const Adapter *adapter = find(adapters, row.description);
            CHECK(adapter != nullptr);
            if (adapter)
                CHECK_EQ(adapter->ipv4Address, std::string(row.address));
        });
    }

    check::row("loopback left out", [&] {
        for (const Adapter &adapter : adapters)
            CHECK(adapter.ipv4Address.compare(0, 4, "127.") != 0);
    });

    check::row("filter drops the VMware and Bluetooth adapters", [&] {
        std::string listed;
        for (const Adapter &adapter : adapters) {
            if (isListedAdapter(adapter.description))
                listed += adapter.description + " ";
        }
        CHECK_EQ(listed, std::string("lan0 noaddr0 down0 caf\xc3\xa9 last0 "));
    });
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string bed = argc > 1 ? argv[1] : "";
    if (bed == "none")
        noneBed();
    else if (bed == "one")
        oneBed();
    else if (bed == "many")
        manyBed();
    else
        std::printf(
            "usage: tst_win_adapters none|one|many (the bed tests/wine/adapter-bed made)\n");
    return check::finish();
}
