#include "discovery/interfacechoice.h"
#include "find/findmodes.h"
#include "find/progressline.h"
#include "find/report.h"
#include "find/terminal.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("orvane-find");
    QCoreApplication::setApplicationVersion(ORVANE_VERSION);
    useBinaryStandardStreams();
    const auto parsed = parseFindOptions(QCoreApplication::arguments());
    if (const auto *end = std::get_if<CommandLineEnd>(&parsed))
        return finish(*end);
    const FindOptions &options = std::get<FindOptions>(parsed);
    // A list that cannot serve is refused before anything is sent.
    std::optional<ExpectedList> expected;
    if (options.expectedList) {
        auto read = readExpectedList(*options.expectedList);
        if (const auto *why = std::get_if<QString>(&read)) {
            tell({*why});
            return ListRefused;
        }
        expected = std::get<ExpectedList>(std::move(read));
    }

    const std::optional<std::vector<Adapter>> adapters = queryAdapters();
    if (!adapters) {
        tell({NoInterfacesDetected});
        return SearchFailed;
    }
    const QVector<NetworkInterface> listed = listedInterfaces(*adapters);
    if (options.listInterfaces)
        return listInterfaces(listed, options.format.value_or(OutputFormat::Tsv));

    // Asked directly, the targets need no interface unless the user names one.
    std::optional<QString> named = options.interface;
    if (options.targets.empty() || named) {
        const auto chosen = chooseInterfaces(listed, options.interface, options.all);
        if (const auto *why = std::get_if<QString>(&chosen))
            return finish(badUsage(*why));
        // Chosen for the user, the interface is followed by its description from now on.
        if (!options.all && !named)
            named = std::get<QVector<NetworkInterface>>(chosen).first().description;
    }
    SearchRounds rounds(named, options.all, options.quietTimeMs);
    if (!options.targets.empty())
        rounds.askDirectly({options.targets, options.requestsPerSecond,
                            standardErrorIsTerminal() ? ProgressLine() : SweepProgressHandler()});
    // Ctrl-C and SIGTERM end a search as if its quiet time had passed.
    catchStopSignals();
    const OutputFormat format = options.format.value_or(
        standardOutputIsTerminal() ? OutputFormat::Table : OutputFormat::Tsv);
    if (options.watchSeconds)
        return watch(rounds, options, format);
    if (!options.waitFor.isEmpty())
        return waitFor(rounds, options, format);
    if (expected)
        return compareOnce(rounds, *expected, format);
    return searchOnce(rounds, format);
}
