#include "options.h"

#include "discovery/protocol.h"
#include "targets.h"

#include <QCommandLineParser>

namespace {

// QCommandLineParser lists the options after this; what they lead to is told here.
const char *const Description =
    R"(Finds Orvane devices on the local IPv4 network with the same search as Orvane
Finder: broadcasts the request from an interface's address and prints every
reply that arrives until the quiet time passes without one.

Without --interface or --all the search runs on the one listed interface,
loopback aside, with an IPv4 address and a link that is up; where several have
both, choose one; where none has, it says why the only one listed (loopback
aside where others are) cannot search. --all skips interfaces without an IPv4
address (0.0.0.0) or whose link is down. --watch and --wait-for choose again
before every round: a named interface is followed to its new address, --all
takes in and leaves out interfaces as they gain or lose theirs. An option given
twice counts as given last.

A broadcast ends at the first router. --to asks addresses directly instead,
through routers and VPNs: each address, range or subnet given (a subnet's
network and broadcast addresses skipped; at most 65536 addresses in all), at
most --rate requests a second (default 1000, so that a /16 takes about a
minute and does not swamp a slow link), and listens until the quiet time
passes after the last request. Rows, formats, --wait-for and --watch are as
with a broadcast; a device reached through a router is not warned of as
outside the subnet.

Output (UTF-8): one row per reply in arrival order, duplicates kept, with the
columns Hostname, IP-Address, Netmask, MAC-Address, Product Name, Serial No,
Firmware Version, and with --all Interface. Fields are printed as received;
missing ones are empty.
  table  Aligned columns for reading, in terminal columns; \, tab, LF and CR
         show as \\, \t, \n and \r, other control characters as \xHH.
  csv    RFC 4180: a header row, CRLF after each row, quotes where needed; a
         cell that a spreadsheet would run as a formula (one that begins with
         =, +, -, @, tab or CR) begins with an apostrophe.
  json   An array of objects keyed by the column names.
  tsv    No header; tab-separated, LF after each row; \, tab, LF and CR
         inside a field are written as \\, \t, \n and \r.
Scripts that need a field's exact text read tsv or json.
--list-interfaces prints each interface's description and address, as the
columns Interface and IP-Address, in tsv unless --format says otherwise.
json objects also carry "Warnings": why a device may not open from here (an
address outside the interface's subnet, one address shared by several
MAC-Addresses), and for a device outside the subnet the commands that give
this computer an address in its subnet for a while; standard error gets each
of them in every format, beginning "orvane-find: warning:". On standard error
a device's text is written as table writes it.

--wait-for searches again and again until a reply matches every FIELD=VALUE
given (FIELD, in any case: hostname, ip, netmask, mac, product, serial or
firmware; the mac VALUE in any case too), prints the matching rows and exits
0, or 1 at the --timeout.

--watch searches every SECONDS until Ctrl-C or SIGTERM and prints a line per
change: "appeared", "changed" (any field) or "gone" (missing from two searches
in a row), with the time. A device is known by its MAC-Address, or by its
whole reply where that is empty. A round that could not search (no address,
the link down) counts for nothing; standard error says once when searching
fails and once when it works again. tsv and csv lines begin with the event and
the time, json prints one object per line (JSON Lines).

--expect compares one search with a list of the devices expected: CSV with a
header row naming any of the seven columns in any order (other columns
ignored), or a JSON array of objects with those keys, as -f csv and -f json
write them. A row names its device by its MAC-Address (in any case) where it
gives one, else by its Serial No, else by its Hostname; its other filled cells
are what the device must show, empty ones are not compared. Each answer
matches at most one row. A list that cannot serve is refused before anything
is sent, naming the file and, for CSV, the line. The output has a row per
answer, then one per expected device that did not answer: first the column
Check ("as expected", "differs", "missing" or "unexpected"), then the fields
as found (as expected where missing), last Differences ("Firmware Version:
2.4.1, expected 2.5.0", several joined by "; "; in json an array of objects
with Field, Found and Expected). Standard error ends with a summary such as
"38 of 40 expected devices as expected; 1 differs, 1 missing; 2 unexpected".
--watch and --wait-for take no --expect yet. Save a list, compare later:
  today     orvane-find --all -f csv > plant.csv
  tomorrow  orvane-find --all --expect plant.csv

Ctrl-C or SIGTERM ends a search as if its quiet time had passed: the rows that
arrived are printed. --wait-for then ends as at its --timeout, saying what
answered.

Exit status: 0 when the search ran (also when no device answered; with
--expect, when every expected device answered as expected and no other did),
1 when it failed (the reason on standard error) or --wait-for timed out or was
stopped, 2 for bad usage or a list that cannot serve, 3 when with --expect a
device differs, is missing or is unexpected.)";

constexpr int DefaultTimeoutSeconds = 60;
constexpr int DefaultWatchSeconds = 5;
constexpr int MaxQuietTimeMs = 3600000; // an hour
constexpr int MaxSeconds = 86400;       // a day
// A /16 in a minute, without swamping a slow VPN link.
constexpr int DefaultRequestsPerSecond = 1000;
constexpr int MaxRequestsPerSecond = 1000000;

// "--watch" alone takes the default: the parser knows no option whose value may be left out.
QStringList withWatchValue(QStringList arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] != QLatin1String("--watch"))
            continue;
        const bool valueFollows = i + 1 < arguments.size() && !arguments[i + 1].startsWith('-');
        arguments[i] +=
            '=' + (valueFollows ? arguments.takeAt(i + 1) : QString::number(DefaultWatchSeconds));
    }
    return arguments;
}

} // namespace

std::variant<FindOptions, CommandLineEnd> parseFindOptions(const QStringList &arguments)
{
    const QCommandLineOption listInterfaces("list-interfaces",
                                            "List the interfaces a search can run on.");
    const QCommandLineOption interface({"i", "interface"},
                                       "Search on the interface with this description, name "
                                       "(on Linux the description's first word, such as eth0) "
                                       "or IPv4 address.",
                                       "interface");
    const QCommandLineOption all({"a", "all"},
                                 "Search on every listed interface at once, each from its own "
                                 "address.");
    const QCommandLineOption format({"f", "format"},
                                    "Output format: table, csv, json or tsv, in any case. Default: "
                                    "table when standard output is a terminal, tsv otherwise.",
                                    "format");
    const QCommandLineOption wait = valueOption(
        {"w", "wait"}, "End the search once this many milliseconds pass without a reply.", "ms",
        QString::number(discovery::QuietTimeMs));
    const QCommandLineOption waitFor("wait-for",
                                     "Search until a reply has this field (repeatable: all must "
                                     "match).",
                                     "field=value");
    const QCommandLineOption timeout =
        valueOption({"timeout"}, "Give up --wait-for after this many seconds.", "seconds",
                    QString::number(DefaultTimeoutSeconds));
    const QCommandLineOption watch(
        "watch",
        QStringLiteral("Search again every this many seconds and print what changes. The "
                       "number may be left out: %1.")
            .arg(DefaultWatchSeconds),
        "seconds");
    const QCommandLineOption to("to",
                                "Ask this address, range (10.66.2.5-15 or 10.66.2.5-10.66.2.15) "
                                "or subnet (10.66.2.0/24) directly, beyond routers and VPNs "
                                "(repeatable), from the address the routing chooses, or from "
                                "--interface's.",
                                "target");
    const QCommandLineOption rate =
        valueOption({"rate"}, "Send at most this many requests a second to the --to targets.",
                    "requests", QString::number(DefaultRequestsPerSecond));
    const QCommandLineOption expect("expect",
                                    "Compare the search with the devices this CSV or JSON file "
                                    "expects; exit status 3 where any differs, is missing or "
                                    "is unexpected.",
                                    "file");
    QCommandLineParser parser;
    parser.setApplicationDescription(Description);
    if (const auto end = parseCommandLine(parser,
                                          {listInterfaces, interface, all, format, wait, waitFor,
                                           timeout, watch, to, rate, expect},
                                          withWatchValue(arguments)))
        return *end;

    FindOptions options;
    options.listInterfaces = parser.isSet(listInterfaces);
    options.all = parser.isSet(all);
    if (parser.isSet(interface)) {
        if (options.all)
            return badUsage("Give either --interface or --all, not both.");
        options.interface = parser.value(interface);
    }
    if (parser.isSet(format)) {
        const QStringList names{"table", "csv", "json", "tsv"};
        const int named = names.indexOf(parser.value(format).toLower());
        if (named < 0)
            return badUsage(QStringLiteral("Unknown format '%1': choose table, csv, json or tsv.")
                                .arg(parser.value(format)));
        options.format = static_cast<OutputFormat>(named);
    }
    // Zero would never end: not a search, not a wait, not a round.
    if (const auto refusal =
            readNumbers(parser, {{wait, "milliseconds", 1, MaxQuietTimeMs, &options.quietTimeMs},
                                 {timeout, "seconds", 1, MaxSeconds, &options.timeoutSeconds},
                                 {watch, "seconds", 1, MaxSeconds, &options.watchSeconds},
                                 {rate, "", 1, MaxRequestsPerSecond, &options.requestsPerSecond}}))
        return *refusal;
    if (parser.isSet(to)) {
        if (options.all)
            return badUsage("Give either --to or --all, not both.");
        auto targets = targetAddresses(parser.values(to));
        if (const QString *refusal = std::get_if<QString>(&targets))
            return badUsage(*refusal);
        options.targets = std::get<std::vector<std::uint32_t>>(std::move(targets));
    } else if (parser.isSet(rate)) {
        return badUsage("--rate goes with --to.");
    }
    const QStringList &keys = DeviceRecord::fieldKeys();
    for (const QString &match : parser.values(waitFor)) {
        const int column = keys.indexOf(match.section('=', 0, 0).toLower());
        if (!match.contains('=') || column < 0)
            return badUsage(
                QStringLiteral("--wait-for takes FIELD=VALUE with FIELD one of %1, not '%2'.")
                    .arg(keys.join(", "), match));
        options.waitFor.append({column, match.section('=', 1)});
    }
    if (options.watchSeconds && !options.waitFor.isEmpty())
        return badUsage("Give either --watch or --wait-for, not both.");
    if (parser.isSet(timeout) && options.waitFor.isEmpty())
        return badUsage("--timeout goes with --wait-for.");
    if (parser.isSet(expect)) {
        if (options.watchSeconds || !options.waitFor.isEmpty())
            return badUsage("--expect compares one search: it takes no --watch or --wait-for "
                            "yet.");
        options.expectedList = parser.value(expect);
    }
    return options;
}
