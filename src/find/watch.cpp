#include "commandline/output.h"
#include "discovery/devicewatch.h"
#include "discovery/protocol.h"
#include "findmodes.h"
#include "report.h"
#include "terminal.h"

#include <QDateTime>
#include <chrono>

namespace {

// One round's changes, each line with the time of now.
void showChanges(const QVector<DeviceWatch::Event> &changes, const QStringList &header,
                 OutputFormat format)
{
    if (changes.isEmpty())
        return;
    const QDateTime local = QDateTime::currentDateTime();
    const QString now = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
    DeviceTable events{header, {}, {}};
    for (const DeviceWatch::Event &event : changes) {
        events.rows << QStringList{event.kind, now} + event.row;
        events.warnings << event.warnings;
    }
    show(events, format, Layout::Streamed);
}

} // namespace

int watch(SearchRounds &rounds, const FindOptions &options, OutputFormat format)
{
    DeviceWatch devices;
    QStringList header = QStringList{"Event", "Time"} + DeviceRecord::fieldNames();
    if (options.all)
        header << "Interface";
    if (format == OutputFormat::Csv)
        print(stdout, formatted({header, {}, {}}, format));
    while (!stopSignalled()) {
        const QDeadlineTimer nextRound(std::chrono::seconds(options.watchSeconds));
        const SearchRounds::Round round = rounds.search(stopSignalled);
        tell(round.notes);
        if (stopSignalled())
            break;       // a search cut short tells nothing of who went away
        if (round.found) // a round that could not search is no news
            showChanges(devices.update(*round.found, round.searchedTags), header, format);
        pauseUntil(nextRound, stopSignalled);
    }
    return Searched;
}
