#include "findtool.h"

#include "devicetable.h"
#include "findcommandline.h"
#include "interfacechoice.h"
#include "interfacesearches.h"
#include "tablewriter.h"
#include "tsvwriter.h"

namespace {

void writeLine(QIODevice &device, const QString &text)
{
    device.write((text + QLatin1Char('\n')).toUtf8());
}

int usageFailure(QIODevice &errors, const QString &message)
{
    writeLine(errors,
              QStringLiteral("orvane-find: %1\nTry 'orvane-find --help' for more.").arg(message));
    return FindTool::BadUsage;
}

} // namespace

FindTool::FindTool(AdapterQuery adapterQuery, bool outputIsTerminal)
    : adapterQuery_(adapterQuery), outputIsTerminal_(outputIsTerminal)
{
}

int FindTool::run(const QStringList &arguments, QIODevice &output, QIODevice &errors) const
{
    FindCommandLine commandLine;
    const std::variant<FindRequest, UsageError> parsed = commandLine.parse(arguments);
    if (const auto *error = std::get_if<UsageError>(&parsed))
        return usageFailure(errors, error->message);
    const FindRequest &request = std::get<FindRequest>(parsed);

    switch (request.action) {
    case FindRequest::Action::ShowHelp:
        output.write(commandLine.helpText().toUtf8());
        return Searched;
    case FindRequest::Action::ShowVersion:
        output.write(FindCommandLine::versionText().toUtf8());
        return Searched;
    case FindRequest::Action::ListInterfaces:
    case FindRequest::Action::Search:
        break;
    }

    const std::optional<std::vector<Adapter>> adapters = adapterQuery_();
    if (!adapters) {
        // The window's words for the same failure.
        writeLine(errors, QStringLiteral("No network interfaces detected"));
        return SearchFailed;
    }
    const QVector<NetworkInterface> listed = listedInterfaces(*adapters);
    if (request.action == FindRequest::Action::ListInterfaces) {
        for (const NetworkInterface &interface : listed)
            writeLine(output, TsvWriter::escaped(interface.description) + QLatin1Char('\t') +
                                  TsvWriter::escaped(interface.address));
        return Searched;
    }
    return search(request, listed, output, errors);
}

int FindTool::search(const FindRequest &request, const QVector<NetworkInterface> &listed,
                     QIODevice &output, QIODevice &errors) const
{
    const auto chosen = InterfaceChoice(listed).choose(request);
    if (const auto *error = std::get_if<UsageError>(&chosen))
        return usageFailure(errors, error->message);

    const std::vector<InterfaceSearchResult> results =
        InterfaceSearches(std::get<QVector<NetworkInterface>>(chosen), request.quietTimeMs).run();

    bool anyListened = false;
    bool anyFailed = false;
    for (const InterfaceSearchResult &result : results) {
        if (!result.failure) {
            anyListened = true;
            continue;
        }
        anyFailed = true;
        // The message alone, as the window shows it; with --all, which interface it was.
        writeLine(errors, request.allInterfaces ? QStringLiteral("%1: %2").arg(
                                                      result.interface.description, *result.failure)
                                                : *result.failure);
    }
    if (anyListened) {
        const OutputFormat format =
            request.format.value_or(outputIsTerminal_ ? OutputFormat::Table : OutputFormat::Tsv);
        output.write(TableWriter::forFormat(format)->write(
            DeviceTable::fromSearches(results, request.allInterfaces)));
    }
    return anyFailed ? SearchFailed : Searched;
}
