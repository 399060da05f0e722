#include "simulatorconfig.h"

#include <QCommandLineParser>

namespace {

const char *const HelpDescription = R"(Behaves like one or many Orvane devices on a network.

Listens on UDP port 49999 and answers every request that is exactly the 18 bytes
"vkr_hello_hardware" with the record
  Hostname|IP-Address|Netmask|MAC-Address|Product Name|Serial No|Firmware Version
sent to the request's sender address and port. Anything else it receives is
ignored and reported on standard error.

On standard output it prints "listening on ADDR:PORT" once bound,
"request SRC:PORT -> DST:PORT 18 bytes" for every request it hears, and
"answered DST:PORT with N datagrams" after every round of answers.

Fields not given are taken from the host when a request arrives: its host
name, and the address, netmask and MAC address of the interface the request
came in on.

Each request is answered after --delay ms with --repeat rounds, --interval ms
apart. A round is one datagram per device (--devices), or the --raw payloads
in the order given.)";

struct IntOption {
    const char *name;
    int minimum;
    int maximum;
    int *target;
};

} // namespace

SimulatorCommandLine SimulatorCommandLine::parse(const QStringList &arguments)
{
    SimulatorCommandLine result;
    SimulatorConfig &config = result.config;

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(HelpDescription));
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version("version", "Show the version.");
    const QCommandLineOption listen("listen", "Listen on this IPv4 address (default any).", "addr",
                                    "0.0.0.0");
    const QCommandLineOption port("port", "Listen on this UDP port (default 49999).", "n", "49999");
    const QCommandLineOption hostname("hostname", "Hostname field (default: host name).", "text");
    const QCommandLineOption ip("ip", "IP-Address field (default: the receiving address).", "text");
    const QCommandLineOption netmask("netmask", "Netmask field (default: the interface's).",
                                     "text");
    const QCommandLineOption mac("mac", "MAC-Address field (default: the interface's).", "text");
    const QCommandLineOption product("product", "Product Name field.", "text", config.product);
    const QCommandLineOption serial("serial", "Serial No field.", "text", config.serial);
    const QCommandLineOption firmware("firmware", "Firmware Version field.", "text",
                                      config.firmware);
    const QCommandLineOption devices(
        "devices",
        "Answer as N devices at once: N distinct records (hostname and serial get a number, "
        "IP-Address and MAC-Address count up), as fast as the socket allows (default 1).",
        "n", "1");
    const QCommandLineOption repeat("repeat", "Answer each request K times (default 1).", "k", "1");
    const QCommandLineOption interval("interval", "Milliseconds between repeated answers.", "ms",
                                      "0");
    const QCommandLineOption delay("delay", "Milliseconds to wait before the first answer.", "ms",
                                   "0");
    const QCommandLineOption raw("raw",
                                 "Send these bytes, given in hex, instead of the record; give "
                                 "it several times for several datagrams per round.",
                                 "hex");
    const QCommandLineOption requests("requests",
                                      "Exit after answering N requests (default: "
                                      "run until interrupted).",
                                      "n", "0");
    parser.addOptions({help, version, listen, port, hostname, ip, netmask, mac, product, serial,
                       firmware, devices, repeat, interval, delay, raw, requests});

    if (!parser.parse(arguments)) {
        result.message = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        result.action = Action::Help;
        result.message = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = Action::Version;
        result.message = QStringLiteral("orvane-device-sim 0.0.1");
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.message =
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return result;
    }

    int portNumber = 0;
    const IntOption numbers[] = {
        {"port", 1, 65535, &portNumber},        {"devices", 1, 1000000, &config.devices},
        {"repeat", 1, 1000000, &config.repeat}, {"interval", 0, 3600000, &config.intervalMs},
        {"delay", 0, 3600000, &config.delayMs}, {"requests", 0, 1000000000, &config.requests},
    };
    for (const IntOption &number : numbers) {
        bool ok = false;
        const QString text = parser.value(QString::fromLatin1(number.name));
        const int value = text.toInt(&ok);
        if (!ok || value < number.minimum || value > number.maximum) {
            result.message = QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                                 .arg(QString::fromLatin1(number.name))
                                 .arg(number.minimum)
                                 .arg(number.maximum)
                                 .arg(text);
            return result;
        }
        *number.target = value;
    }
    config.port = static_cast<quint16>(portNumber);

    if (!config.listenAddress.setAddress(parser.value(listen)) ||
        config.listenAddress.protocol() != QAbstractSocket::IPv4Protocol) {
        result.message =
            QStringLiteral("--listen takes an IPv4 address, not \"%1\"").arg(parser.value(listen));
        return result;
    }
    for (const QString &hex : parser.values(raw)) {
        const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
        if (hex.size() % 2 != 0 || bytes.toHex() != hex.toLatin1().toLower() ||
            bytes.size() > 65507) {
            result.message =
                QStringLiteral("--raw takes pairs of hex digits (at most 65507 bytes), not \"%1\"")
                    .arg(hex);
            return result;
        }
        config.rawPayloads.append(bytes);
    }
    config.hostname = parser.value(hostname);
    config.ip = parser.value(ip);
    config.netmask = parser.value(netmask);
    config.mac = parser.value(mac);
    config.product = parser.value(product);
    config.serial = parser.value(serial);
    config.firmware = parser.value(firmware);
    result.action = Action::Run;
    return result;
}
