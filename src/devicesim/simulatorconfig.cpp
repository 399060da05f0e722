#include "simulatorconfig.h"

#include "commandline/usage.h"
#include "platform/protocolconstants.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const char *const HelpDescription = R"(Behaves like one or many Orvane devices on a network.

Listens on UDP port %1 and answers every request that is exactly the %2 bytes
"%3" with the record
  Hostname|IP-Address|Netmask|MAC-Address|Product Name|Serial No|Firmware Version
sent to the request's sender address and port; a field given cannot hold |
(--raw sends any bytes). Anything else it receives is ignored and reported on
standard error.

On standard output it prints "listening on ADDR:PORT" once bound,
"request SRC:PORT -> DST:PORT 18 bytes" for every request it hears, and
"answered DST:PORT with N datagrams" after every round of answers.

Fields not given are taken from the host when a request arrives: its host
name, and the address, netmask and MAC address of the interface the request
came in on.

Each request is answered after --delay ms with --repeat rounds, --interval ms
apart. A round is one datagram per device (--devices), or the --raw payloads
in the order given.)";

} // namespace

std::variant<SimulatorConfig, CommandLineEnd> parseSimulatorArguments(const QStringList &arguments)
{
    SimulatorConfig config;
    QCommandLineParser parser;
    parser.setApplicationDescription(QString(HelpDescription)
                                         .arg(discovery::Port)
                                         .arg(discovery::RequestSize)
                                         .arg(discovery::RequestText));
    const QCommandLineOption listen =
        valueOption({"listen"}, "Listen on this IPv4 address.", "addr", "0.0.0.0");
    const QCommandLineOption port =
        valueOption({"port"}, "Listen on this UDP port.", "n", QString::number(discovery::Port));
    const QCommandLineOption hostname =
        valueOption({"hostname"}, "Hostname field; without it, the host name.", "text");
    const QCommandLineOption ip =
        valueOption({"ip"}, "IP-Address field; without it, the receiving address.", "text");
    const QCommandLineOption netmask =
        valueOption({"netmask"}, "Netmask field; without it, the interface's.", "text");
    const QCommandLineOption mac =
        valueOption({"mac"}, "MAC-Address field; without it, the interface's.", "text");
    const QCommandLineOption product =
        valueOption({"product"}, "Product Name field.", "text", "Orvane Device Simulator");
    const QCommandLineOption serial =
        valueOption({"serial"}, "Serial No field.", "text", "SIM000001");
    const QCommandLineOption firmware = valueOption({"firmware"}, "Firmware Version field.", "text",
                                                    QCoreApplication::applicationVersion());
    const QCommandLineOption devices =
        valueOption({"devices"},
                    "Answer as N devices at once: N distinct records (hostname and serial get a "
                    "number, IP-Address and MAC-Address count up), as fast as the socket allows.",
                    "n", "1");
    const QCommandLineOption repeat =
        valueOption({"repeat"}, "Answer each request K times.", "k", "1");
    const QCommandLineOption interval =
        valueOption({"interval"}, "Milliseconds between repeated answers.", "ms", "0");
    const QCommandLineOption delay =
        valueOption({"delay"}, "Milliseconds to wait before the first answer.", "ms", "0");
    const QCommandLineOption raw =
        valueOption({"raw"},
                    "Send these bytes, given in hex, instead of the record; "
                    "give it several times for several datagrams per round.",
                    "hex");
    const QCommandLineOption requests = valueOption(
        {"requests"}, "Exit after answering N requests; 0: run until interrupted.", "n", "0");
    const QCommandLineOption ignore = valueOption(
        {"ignore"}, "Leave the first N requests unanswered, as a device still starting up.", "n",
        "0");
    if (const auto end =
            parseCommandLine(parser,
                             {listen, port, hostname, ip, netmask, mac, product, serial, firmware,
                              devices, repeat, interval, delay, raw, requests, ignore},
                             arguments))
        return *end;

    int portNumber = 0;
    if (const auto refusal =
            readNumbers(parser, {{port, "", 1, 65535, &portNumber},
                                 {devices, "", 1, 1000000, &config.devices},
                                 {repeat, "", 1, 1000000, &config.repeat},
                                 {interval, "milliseconds", 0, 3600000, &config.intervalMs},
                                 {delay, "milliseconds", 0, 3600000, &config.delayMs},
                                 {requests, "", 0, 1000000000, &config.requests},
                                 {ignore, "", 0, 1000000000, &config.ignored}}))
        return *refusal;
    config.port = static_cast<quint16>(portNumber);

    if (!config.listenAddress.setAddress(parser.value(listen)) ||
        config.listenAddress.protocol() != QAbstractSocket::IPv4Protocol)
        return badUsage(
            QStringLiteral("--listen takes an IPv4 address, not '%1'.").arg(parser.value(listen)));
    for (const QString &hex : parser.values(raw)) {
        const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
        if (hex.size() % 2 != 0 || bytes.toHex() != hex.toLatin1().toLower() ||
            bytes.size() > 65507)
            return badUsage(
                QStringLiteral("--raw takes pairs of hex digits (at most 65507 bytes), not '%1'.")
                    .arg(hex));
        config.rawPayloads.append(bytes);
    }
    // A | inside a field would shift every later one.
    const std::pair<const QCommandLineOption &, QString *> fields[]{
        {hostname, &config.hostname}, {ip, &config.ip},           {netmask, &config.netmask},
        {mac, &config.mac},           {product, &config.product}, {serial, &config.serial},
        {firmware, &config.firmware}};
    for (const auto &[field, target] : fields) {
        *target = parser.value(field);
        if (target->contains('|'))
            return badUsage(QStringLiteral("--%1 cannot hold '|', which separates a reply's "
                                           "fields (--raw sends any bytes).")
                                .arg(field.names().first()));
    }
    return config;
}
