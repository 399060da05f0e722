#include "findtool.h"

#include "commandline/usage.h"
#include "devicewatch.h"
#include "discovery/protocol.h"
#include "formats.h"
#include "interfacechoice.h"
#include "searchrounds.h"
#include "terminal.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <tuple>
#include <variant>

namespace {

enum ExitStatus { Searched = 0, SearchFailed = 1 }; // bad usage: usageFailure()

// QCommandLineParser lists the options after this; what they lead to is told here.
const char *const Description =
    R"(Finds Orvane devices on the local IPv4 network with the same search as Orvane
Finder: broadcasts the request from an interface's address and prints every
reply that arrives until the quiet time passes without one.

Without --interface or --all the search runs on the only listed interface,
loopback aside where others are listed; when several are, choose one. --all
skips interfaces without an IPv4 address (0.0.0.0) or whose link is down.
--watch and --wait-for choose again before every round: a named interface is
followed to its new address, --all takes in and leaves out interfaces as they
gain or lose theirs. An option given twice counts as given last.

Output (UTF-8): one row per reply in arrival order, duplicates kept, with the
columns Hostname, IP-Address, Netmask, MAC-Address, Product Name, Serial No,
Firmware Version, and with --all Interface. Fields are printed as received;
missing ones are empty.
  table  Aligned columns for reading, in terminal columns; \, tab, LF and CR
         show as \\, \t, \n and \r, other control characters as \xHH.
  csv    RFC 4180: a header row, CRLF after each row, quotes where needed.
  json   An array of objects keyed by the column names.
  tsv    No header; tab-separated, LF after each row; \, tab, LF and CR
         inside a field are written as \\, \t, \n and \r.
--list-interfaces prints description, a tab and address, escaped as in tsv.
json objects also carry "Warnings": why a device may not open from here (an
address outside the interface's subnet, one address shared by several
MAC-Addresses), and for a device outside the subnet the commands that give
this computer an address in its subnet for a while; standard error gets each
of them in every format, beginning "orvane-find: warning:".

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

Exit status: 0 when the search ran (also when no device answered), 1 when it
failed (the reason on standard error) or --wait-for timed out, 2 for bad usage.)";

// The fields --wait-for can name, in the order of a reply's fields.
const QStringList FieldKeys{"hostname", "ip", "netmask", "mac", "product", "serial", "firmware"};
constexpr int DefaultTimeoutSeconds = 60;
constexpr int DefaultWatchSeconds = 5;
constexpr int MaxQuietTimeMs = 3600000; // an hour
constexpr int MaxSeconds = 86400;       // a day

struct FieldMatch {
    int column;
    QString value;
};

struct FindOptions {
    bool listInterfaces = false;
    std::optional<QString> interface;
    bool all = false;
    std::optional<OutputFormat> format; // unset: by whether standard output is a terminal
    int quietTimeMs = discovery::QuietTimeMs;
    QVector<FieldMatch> waitFor; // all must match
    int timeoutSeconds = DefaultTimeoutSeconds;
    int watchSeconds = 0; // 0: no watch
};

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

// Help and version end the program here.
std::variant<FindOptions, QString> parsed(QCommandLineParser &parser, const QStringList &arguments)
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
                                    "Output format: table, csv, json or tsv. Default: table when "
                                    "standard output is a terminal, tsv otherwise.",
                                    "format");
    const QCommandLineOption wait(
        {"w", "wait"},
        QStringLiteral("End the search once this many milliseconds pass without a reply. "
                       "Default: %1.")
            .arg(discovery::QuietTimeMs),
        "ms");
    const QCommandLineOption waitFor("wait-for",
                                     "Search until a reply has this field (repeatable: all must "
                                     "match).",
                                     "field=value");
    const QCommandLineOption timeout(
        "timeout",
        QStringLiteral("Give up --wait-for after this many seconds. Default: %1.")
            .arg(DefaultTimeoutSeconds),
        "seconds");
    const QCommandLineOption watch(
        "watch",
        QStringLiteral("Search again every this many seconds and print what changes. The "
                       "number may be left out: %1.")
            .arg(DefaultWatchSeconds),
        "seconds");
    parser.setApplicationDescription(Description);
    addHelpAndVersionOptions(parser);
    parser.addOptions({listInterfaces, interface, all, format, wait, waitFor, timeout, watch});
    if (!parser.parse(withWatchValue(arguments)))
        return parser.errorText();
    printHelpOrVersion(parser);
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[0]);

    FindOptions options;
    options.listInterfaces = parser.isSet(listInterfaces);
    options.all = parser.isSet(all);
    if (parser.isSet(interface)) {
        if (options.all)
            return QStringLiteral("Give either --interface or --all, not both.");
        options.interface = parser.value(interface);
    }
    if (parser.isSet(format)) {
        const QStringList names{"table", "csv", "json", "tsv"};
        const int named = names.indexOf(parser.value(format));
        if (named < 0)
            return QStringLiteral("Unknown format '%1': choose table, csv, json or tsv.")
                .arg(parser.value(format));
        options.format = static_cast<OutputFormat>(named);
    }
    // Zero would never end: not a search, not a wait, not a round.
    const std::tuple<const QCommandLineOption &, const char *, int, int *> numbers[]{
        {wait, "milliseconds", MaxQuietTimeMs, &options.quietTimeMs},
        {timeout, "seconds", MaxSeconds, &options.timeoutSeconds},
        {watch, "seconds", MaxSeconds, &options.watchSeconds}};
    for (const auto &[option, unit, maximum, target] : numbers) {
        if (!parser.isSet(option))
            continue;
        const auto number =
            wholeNumber(option.names().last(), parser.value(option), 1, maximum, unit);
        if (const auto *refusal = std::get_if<QString>(&number))
            return *refusal;
        *target = std::get<int>(number);
    }
    for (const QString &match : parser.values(waitFor)) {
        const int column = FieldKeys.indexOf(match.section('=', 0, 0).toLower());
        if (!match.contains('=') || column < 0)
            return QStringLiteral("--wait-for takes FIELD=VALUE with FIELD one of %1, not '%2'.")
                .arg(FieldKeys.join(", "), match);
        options.waitFor.append({column, match.section('=', 1)});
    }
    if (options.watchSeconds && !options.waitFor.isEmpty())
        return QStringLiteral("Give either --watch or --wait-for, not both.");
    if (parser.isSet(timeout) && options.waitFor.isEmpty())
        return QStringLiteral("--timeout goes with --wait-for.");
    return options;
}

DeviceTable rowsWhere(const DeviceTable &table, const QVector<FieldMatch> &matches)
{
    DeviceTable matching{table.header, {}, {}};
    for (int row = 0; row < table.rows.size(); ++row) {
        const bool wanted = std::all_of(matches.begin(), matches.end(), [&](const FieldMatch &m) {
            return table.rows[row][m.column].compare(
                       m.value, m.column == DeviceRecord::MacAddressField ? Qt::CaseInsensitive
                                                                          : Qt::CaseSensitive) == 0;
        });
        if (wanted) {
            matching.rows << table.rows[row];
            matching.warnings << table.warnings[row];
        }
    }
    return matching;
}

// Sleeps until the time has come or stopRequested says so.
void pauseUntil(const QDeadlineTimer &until, const discovery::StopCheck &stopRequested)
{
    while (!until.hasExpired() && !stopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(
            std::min<qint64>(50, std::max<qint64>(0, until.remainingTime()))));
}

// The rows on standard output, their warnings on standard error.
void show(const DeviceTable &table, OutputFormat format)
{
    print(stdout, formatted(table, format));
    printWarnings(table.warnings);
}

int searchOnce(SearchRounds &rounds, OutputFormat format)
{
    if (const std::optional<SearchRounds::Round> round = rounds.search([] { return false; }))
        show(round->table, format);
    return rounds.anyFailed() ? SearchFailed : Searched;
}

// What answered while waiting in vain, so that a mistyped value shows: how many devices, and
// the asked fields of the first few.
class AnswersHeard {
public:
    explicit AnswersHeard(const QVector<FieldMatch> &asked) : asked_(asked) {}

    void add(const DeviceTable &table)
    {
        for (const QStringList &row : table.rows) {
            const int known = identities_.size();
            identities_ << deviceIdentity(row);
            if (identities_.size() == known || firstFew_.size() == Shown)
                continue;
            QStringList fields;
            for (const FieldMatch &match : asked_)
                fields << QStringLiteral("%1='%2'").arg(FieldKeys.at(match.column),
                                                        row.at(match.column));
            firstFew_ << fields.join(' ');
        }
    }

    QString told() const
    {
        if (identities_.isEmpty())
            return QStringLiteral("No device answered.");
        return QStringLiteral("%1 %2 answered%3: %4.")
            .arg(identities_.size())
            .arg(identities_.size() == 1 ? "device" : "devices")
            .arg(identities_.size() > Shown ? ", among them" : "")
            .arg(firstFew_.join(", "));
    }

private:
    static constexpr int Shown = 3;
    const QVector<FieldMatch> asked_;
    QSet<QString> identities_;
    QStringList firstFew_;
};

int waitFor(SearchRounds &rounds, const FindOptions &options, OutputFormat format)
{
    rounds.stopTellingNothingHeard();
    const QDeadlineTimer deadline(std::chrono::seconds(options.timeoutSeconds));
    const auto timedOut = [&deadline] { return deadline.hasExpired(); };
    AnswersHeard heard(options.waitFor);
    while (true) {
        // A failing search returns at once; rounds keep at least a quiet time apart.
        const QDeadlineTimer nextRound(options.quietTimeMs);
        if (const std::optional<SearchRounds::Round> round = rounds.search(timedOut)) {
            const DeviceTable matching = rowsWhere(round->table, options.waitFor);
            if (!matching.rows.isEmpty()) {
                show(matching, format);
                return Searched;
            }
            heard.add(round->table);
        }
        if (timedOut()) {
            QStringList conditions;
            for (const FieldMatch &match : options.waitFor)
                conditions << FieldKeys.at(match.column) + '=' + match.value;
            printLine(stderr, QStringLiteral("orvane-find: no reply with %1 within %2 s. %3")
                                  .arg(conditions.join(" and "))
                                  .arg(options.timeoutSeconds)
                                  .arg(heard.told()));
            return SearchFailed;
        }
        pauseUntil(nextRound, timedOut);
    }
}

// One round's changes, each line with the time of now.
void showChanges(const QVector<DeviceWatch::Event> &changes, const QStringList &header,
                 OutputFormat format)
{
    if (changes.isEmpty())
        return;
    const QDateTime local = QDateTime::currentDateTime();
    const QString now = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
    DeviceTable events{header, {}, {}, true};
    for (const DeviceWatch::Event &event : changes) {
        events.rows << QStringList{event.kind, now} + event.row;
        events.warnings << event.warnings;
    }
    show(events, format);
}

int watch(SearchRounds &rounds, const FindOptions &options, OutputFormat format)
{
    catchStopSignals();
    DeviceWatch devices;
    QStringList header = QStringList{"Event", "Time"} + DeviceRecord::fieldNames();
    if (options.all)
        header << "Interface";
    if (format == OutputFormat::Csv)
        print(stdout, formatted({header, {}, {}}, format));
    while (!stopSignalled()) {
        const QDeadlineTimer nextRound(std::chrono::seconds(options.watchSeconds));
        const std::optional<SearchRounds::Round> round = rounds.search(stopSignalled);
        if (stopSignalled())
            break; // a search cut short tells nothing of who went away
        if (round) // a round that could not search is no news
            showChanges(devices.update(round->table, round->searchedTags), header, format);
        pauseUntil(nextRound, stopSignalled);
    }
    return Searched;
}

} // namespace

int runFindTool(const QStringList &arguments)
{
    useBinaryStandardStreams();
    QCommandLineParser parser;
    const std::variant<FindOptions, QString> parsedOptions = parsed(parser, arguments);
    if (const auto *error = std::get_if<QString>(&parsedOptions))
        return usageFailure(*error);
    const FindOptions &options = std::get<FindOptions>(parsedOptions);

    const std::optional<std::vector<Adapter>> adapters = queryAdapters();
    if (!adapters) {
        printLine(stderr, "orvane-find: No network interfaces detected"); // the window's words
        return SearchFailed;
    }
    const QVector<NetworkInterface> listed = listedInterfaces(*adapters);
    if (options.listInterfaces) {
        for (const NetworkInterface &interface : listed)
            printLine(stdout,
                      tsvEscaped(interface.description) + '\t' + tsvEscaped(interface.address));
        return Searched;
    }

    const auto chosen = chooseInterfaces(listed, options.interface, options.all);
    if (const auto *error = std::get_if<QString>(&chosen))
        return usageFailure(*error);
    // Chosen for the user, the interface is followed by its description from now on.
    std::optional<QString> named = options.interface;
    if (!options.all && !named)
        named = std::get<QVector<NetworkInterface>>(chosen).first().description;
    SearchRounds rounds(named, options.all, options.quietTimeMs);
    const OutputFormat format = options.format.value_or(
        standardOutputIsTerminal() ? OutputFormat::Table : OutputFormat::Tsv);
    if (options.watchSeconds)
        return watch(rounds, options, format);
    if (!options.waitFor.isEmpty())
        return waitFor(rounds, options, format);
    return searchOnce(rounds, format);
}
