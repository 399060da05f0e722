#include "findtool.h"

#include "discovery/protocol.h"
#include "formats.h"
#include "interfacechoice.h"
#include "interfacesearches.h"
#include "terminal.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cstdio>
#include <variant>

namespace {

enum ExitStatus { Searched = 0, SearchFailed = 1, BadUsage = 2 };

// QCommandLineParser lists the options after this; what they lead to is told here.
const char *const Description =
    R"(Finds Orvane devices on the local IPv4 network with the same search as Orvane
Finder: broadcasts the request from an interface's address and prints every
reply that arrives until the quiet time passes without one.

Without --interface or --all the search runs on the only listed interface;
when several are listed, choose one. --all skips interfaces without an IPv4
address (0.0.0.0). An option given twice counts as given last.

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

Exit status: 0 when the search ran (also when no device answered), 1 when it
failed (the reason on standard error), 2 for bad usage.)";

struct FindOptions {
    bool listInterfaces = false;
    std::optional<QString> interface;
    bool all = false;
    std::optional<OutputFormat> format; // unset: by whether standard output is a terminal
    int quietTimeMs = discovery::QuietTimeMs;
};

void print(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void printLine(FILE *stream, const QString &line)
{
    print(stream, (line + '\n').toUtf8());
}

int usageFailure(const QString &message)
{
    printLine(stderr, "orvane-find: " + message + "\nTry 'orvane-find --help' for more.");
    return BadUsage;
}

// Help and version end the program here, as the parser shows them.
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
    parser.setApplicationDescription(Description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({listInterfaces, interface, all, format, wait});
    if (!parser.parse(arguments))
        return parser.errorText();
    if (parser.isSet(help))
        parser.showHelp();
    if (parser.isSet(version))
        parser.showVersion();
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
    if (parser.isSet(wait)) {
        // Digits only, as toInt() would take a sign or blanks; zero would never time out.
        bool isNumber = false;
        options.quietTimeMs = parser.value(wait).toInt(&isNumber);
        if (!isNumber || options.quietTimeMs < 1 ||
            parser.value(wait).contains(QRegularExpression("[^0-9]")))
            return QStringLiteral(
                       "--wait takes a whole number of milliseconds from 1 on, not '%1'.")
                .arg(parser.value(wait));
    }
    return options;
}

DeviceTable deviceTable(const std::vector<InterfaceSearchResult> &results, bool tagInterface)
{
    DeviceTable table{DeviceRecord::fieldNames(), {}};
    if (tagInterface)
        table.header << "Interface";
    for (const InterfaceSearchResult &result : results) {
        for (const QString &reply : result.replies) {
            const DeviceRecord record = DeviceRecord::fromReplyText(reply);
            QStringList row(record.fields.begin(), record.fields.end());
            if (tagInterface)
                row << result.interface.description;
            table.rows << row;
        }
    }
    return table;
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
        printLine(stderr, "No network interfaces detected"); // the window's words
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
    const std::vector<InterfaceSearchResult> results =
        searchInterfaces(std::get<QVector<NetworkInterface>>(chosen), options.quietTimeMs);

    int status = Searched;
    bool anyListened = false;
    for (const InterfaceSearchResult &result : results) {
        anyListened = anyListened || !result.failure;
        // The message alone, as the window shows it; with --all, which interface it was.
        if (result.failure) {
            printLine(stderr, options.all ? result.interface.description + ": " + *result.failure
                                          : *result.failure);
            status = SearchFailed;
        }
    }
    if (anyListened) {
        const OutputFormat format = options.format.value_or(
            standardOutputIsTerminal() ? OutputFormat::Table : OutputFormat::Tsv);
        print(stdout, formatted(deviceTable(results, options.all), format));
    }
    return status;
}
