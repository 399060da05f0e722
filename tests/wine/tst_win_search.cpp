// A whole discovery search through the Windows layer under Wine, against the
// device simulator in the same private network namespace. tests/wine/search-bed
// asks this program for its plan (--plan), starts the simulator with each
// row's arguments, runs the row (ROW) and checks the request the simulator heard.

#include "check.h"
#include "discovery/broadcastsearch.h"
#include "discovery/protocolconstants.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

struct Row {
    const char *name;
    Strings device; // the simulator's arguments; empty: no device runs
    const char *interfaceAddress;
    std::optional<std::string> failure;
    Strings replies; // in the order they must arrive
    long long atLeastMs;
    long long belowMs;
    int quietTimeMs = discovery::QuietTimeMs;
};

std::string hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += digits[value >> 4];
        text += digits[value & 0x0F];
    }
    return text;
}

// Simulator arguments that answer each request with exactly these datagrams, in one round.
Strings raw(const Strings &datagrams)
{
    Strings arguments;
    for (const std::string &datagram : datagrams) {
        arguments.push_back("--raw");
        arguments.push_back(hex(datagram));
    }
    return arguments;
}

Strings operator+(Strings first, const Strings &second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const Strings fields{"--hostname", "lab",
                     "--ip",       "10.0.0.7",
                     "--netmask",  "255.255.255.0",
                     "--mac",      "00:11:22:33:44:FE",
                     "--product",  "Orvane Gateway X2",
                     "--serial",   "SN-0042",
                     "--firmware", "1.4.2"};

const std::vector<Row> &rows()
{
    // The search ends one quiet second after the last reply; the bounds are generous.
    static const std::vector<Row> table{
        {"no-device-ends-after-a-quiet-second", {}, "127.0.0.1", std::nullopt, {}, 900, 4000},
        {"one-device-record-as-sent",
         fields,
         "127.0.0.1",
         std::nullopt,
         {"lab|10.0.0.7|255.255.255.0|00:11:22:33:44:FE|Orvane Gateway X2|SN-0042|1.4.2"},
         900,
         4000},
        {"three-devices-in-one-burst",
         fields + Strings{"--devices", "3"},
         "127.0.0.1",
         std::nullopt,
         {"lab-1|10.0.0.7|255.255.255.0|00:11:22:33:44:FE|Orvane Gateway X2|SN-0042-1|1.4.2",
          "lab-2|10.0.0.8|255.255.255.0|00:11:22:33:44:FF|Orvane Gateway X2|SN-0042-2|1.4.2",
          "lab-3|10.0.0.9|255.255.255.0|00:11:22:33:45:00|Orvane Gateway X2|SN-0042-3|1.4.2"},
         900,
         4000},
        {"replies-in-arrival-order",
         raw({"c|10.0.0.3", "a|10.0.0.1", "b|10.0.0.2"}),
         "127.0.0.1",
         std::nullopt,
         {"c|10.0.0.3", "a|10.0.0.1", "b|10.0.0.2"},
         900,
         4000},
        {"replies-500-ms-apart-hold-the-window-open",
         raw({"tick"}) + Strings{"--repeat", "4", "--interval", "500"},
         "127.0.0.1",
         std::nullopt,
         {"tick", "tick", "tick", "tick"},
         2400,
         7000},
        {"reply-after-the-quiet-second-is-missed",
         raw({"late"}) + Strings{"--delay", "2500"},
         "127.0.0.1",
         std::nullopt,
         {},
         900,
         2500},
        {"quiet-time-of-300-ms-misses-a-reply-after-600",
         raw({"late"}) + Strings{"--delay", "600"},
         "127.0.0.1",
         std::nullopt,
         {},
         250,
         600,
         300},
        {"oversized-reply-dropped-later-reply-kept",
         raw({"first", std::string(300, 'x'), "after"}),
         "127.0.0.1",
         std::nullopt,
         {"first", "after"},
         900,
         4000},
        {"256-bytes-kept-257-dropped",
         raw({std::string(256, 'q'), std::string(257, 'y'), "z"}),
         "127.0.0.1",
         std::nullopt,
         {std::string(256, 'q'), "z"},
         900,
         4000},
        {"zero-bytes-and-empty-datagram-kept-as-sent",
         raw({std::string("abc\0xyz", 7), ""}),
         "127.0.0.1",
         std::nullopt,
         {std::string("abc\0xyz", 7), ""},
         900,
         4000},
        {"malformed-address-text", {}, "127.0.0.1x", "Bind to socket failed", {}, 0, 4000},
        {"empty-address-text", {}, "", "Bind to socket failed", {}, 0, 4000},
        // Windows fails this one at the bind; Wine binds datagram sockets to the
        // any-address, and the loopback-only namespace has no route for its broadcast.
        {"address-not-on-this-host",
         {},
         "192.0.2.1",
         "sendto failed with error code: 10051",
         {},
         0,
         4000},
        {"send-without-a-route",
         {},
         "0.0.0.0",
         "sendto failed with error code: 10051",
         {},
         0,
         4000},
    };
    return table;
}

// For each row a line "row NAME", then one line "arg TEXT" per simulator argument.
void printPlan()
{
    for (const Row &row : rows()) {
        std::printf("row %s\n", row.name);
        for (const std::string &argument : row.device)
            std::printf("arg %s\n", argument.c_str());
    }
}

void runRow(const Row &row)
{
    check::row(row.name, [&row] {
        Strings replies;
        const BroadcastSearch search([] { return false; });
        const auto start = std::chrono::steady_clock::now();
        const std::optional<std::string> failure = search.run(
            row.interfaceAddress, row.quietTimeMs,
            [&replies](const char *bytes, std::size_t size) { replies.emplace_back(bytes, size); });
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();

        CHECK_EQ(failure.value_or("<listened to the end>"),
                 row.failure.value_or("<listened to the end>"));
        CHECK_EQ(replies.size(), row.replies.size());
        CHECK(replies == row.replies);
        for (const std::string &reply : replies)
            std::printf("  reply (%zu bytes) %.60s\n", reply.size(), reply.c_str());
        std::printf("  search took %lld ms\n", static_cast<long long>(elapsed));
        CHECK(elapsed >= row.atLeastMs);
        CHECK(elapsed < row.belowMs);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string argument = argc > 1 ? argv[1] : "";
    if (argument == "--plan") {
        printPlan();
        return 0;
    }
    for (const Row &row : rows()) {
        if (argument == row.name)
            runRow(row);
    }
    return check::finish();
}
