#include "findcommandline.h"

#include <QRegularExpression>

namespace {

const char *const Description =
    "Finds Orvane devices on the local IPv4 network with the same search as Orvane\n"
    "Finder: broadcasts the request from an interface's address and prints every\n"
    "reply that arrives until the quiet time passes without one.";

// QCommandLineParser lists the options; what they lead to is told here.
const char *const Details = R"(
Interfaces:
  Without --interface or --all the search runs on the only listed interface;
  when several are listed, choose one. --all skips interfaces without an IPv4
  address (0.0.0.0): they have no address of their own to search from.

Output (UTF-8): one row per reply in arrival order, duplicates kept; with
--all the interfaces follow the list, each with its replies in arrival order.
Columns: Hostname, IP-Address, Netmask, MAC-Address, Product Name, Serial No,
Firmware Version, and Interface (its description) with --all. Fields are
printed as received, never trimmed; a reply with fewer than seven fields gives
empty ones.
  table  Aligned columns for reading. Widths count terminal columns: two for
         East Asian wide and fullwidth characters and emoji, none for
         combining marks, one for anything else. A backslash, tab, line feed
         and carriage return show as \\, \t, \n and \r, other control
         characters as \xHH.
  csv    RFC 4180: a header row, CRLF after each row; a field holding a
         comma, double quote, CR or LF is put in double quotes, with its
         quotes doubled.
  json   An array of objects keyed by the column names.
  tsv    No header; fields separated by a tab, LF after each row. A
         backslash, tab, line feed and carriage return inside a field are
         written as \\, \t, \n and \r, so every row is one line and every
         field can be restored exactly.
--list-interfaces prints description, a tab and address, escaped as in tsv.

Exit status: 0 when the search ran (also when no device answered), 1 when it
failed (the reason on standard error), 2 for bad usage.
)";

struct NamedFormat {
    const char *name;
    OutputFormat format;
};
constexpr NamedFormat Formats[] = {{"table", OutputFormat::Table},
                                   {"csv", OutputFormat::Csv},
                                   {"json", OutputFormat::Json},
                                   {"tsv", OutputFormat::Tsv}};

std::optional<OutputFormat> formatNamed(const QString &name)
{
    for (const NamedFormat &format : Formats) {
        if (name == QLatin1String(format.name))
            return format.format;
    }
    return std::nullopt;
}

// Digits only: toInt() would take a sign or blanks; zero would mean no time-out at all.
std::optional<int> positiveMilliseconds(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool isNumber = false;
    const int milliseconds = text.toInt(&isNumber);
    if (!digits.match(text).hasMatch() || !isNumber || milliseconds < 1)
        return std::nullopt;
    return milliseconds;
}

} // namespace

FindCommandLine::FindCommandLine()
    : help_({"h", "help"}, "Show this help and exit."),
      version_({"v", "version"}, "Show the version and exit."),
      listInterfaces_("list-interfaces", "List the interfaces a search can run on."),
      interface_({"i", "interface"},
                 "Search on the interface with this description, name (on Linux the "
                 "description's first word, such as eth0) or IPv4 address.",
                 "interface"),
      all_({"a", "all"}, "Search on every listed interface at once, each from its own address."),
      format_({"f", "format"},
              "Output format: table, csv, json or tsv. Default: table when standard output is "
              "a terminal, tsv otherwise.",
              "format"),
      wait_({"w", "wait"},
            QStringLiteral("End the search once this many milliseconds pass without a reply. "
                           "Default: %1.")
                .arg(discovery::QuietTimeMs),
            "ms")
{
    parser_.setApplicationDescription(QString::fromUtf8(Description));
    parser_.addOptions({help_, version_, listInterfaces_, interface_, all_, format_, wait_});
}

std::variant<FindRequest, UsageError> FindCommandLine::parse(const QStringList &arguments)
{
    if (!parser_.parse(arguments))
        return UsageError{parser_.errorText()};
    return request();
}

std::variant<FindRequest, UsageError> FindCommandLine::request() const
{
    FindRequest request;
    if (parser_.isSet(help_)) {
        request.action = FindRequest::Action::ShowHelp;
        return request;
    }
    if (parser_.isSet(version_)) {
        request.action = FindRequest::Action::ShowVersion;
        return request;
    }
    if (!parser_.positionalArguments().isEmpty())
        return UsageError{
            QStringLiteral("Unexpected argument '%1'.").arg(parser_.positionalArguments().first())};
    for (const QCommandLineOption *option : {&interface_, &format_, &wait_}) {
        if (parser_.values(*option).size() > 1)
            return UsageError{
                QStringLiteral("--%1 may be given once only.").arg(option->names().constLast())};
    }
    if (parser_.isSet(listInterfaces_)) {
        for (const QCommandLineOption *option : {&interface_, &all_, &format_, &wait_}) {
            if (parser_.isSet(*option))
                return UsageError{QStringLiteral("--list-interfaces takes no --%1.")
                                      .arg(option->names().constLast())};
        }
        request.action = FindRequest::Action::ListInterfaces;
        return request;
    }
    if (parser_.isSet(interface_) && parser_.isSet(all_))
        return UsageError{QStringLiteral("Give either --interface or --all, not both.")};
    if (parser_.isSet(interface_))
        request.interface = parser_.value(interface_);
    request.allInterfaces = parser_.isSet(all_);
    if (parser_.isSet(format_)) {
        request.format = formatNamed(parser_.value(format_));
        if (!request.format)
            return UsageError{QStringLiteral("Unknown format '%1': choose table, csv, json or tsv.")
                                  .arg(parser_.value(format_))};
    }
    if (parser_.isSet(wait_)) {
        const std::optional<int> milliseconds = positiveMilliseconds(parser_.value(wait_));
        if (!milliseconds)
            return UsageError{
                QStringLiteral("--wait takes a whole number of milliseconds from 1 on, not '%1'.")
                    .arg(parser_.value(wait_))};
        request.quietTimeMs = *milliseconds;
    }
    return request;
}

QString FindCommandLine::helpText() const
{
    return parser_.helpText() + QString::fromUtf8(Details);
}

QString FindCommandLine::versionText()
{
    return QStringLiteral("orvane-find " ORVANE_VERSION "\n");
}
