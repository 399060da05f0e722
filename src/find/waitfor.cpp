#include "commandline/output.h"
#include "discovery/devicewatch.h"
#include "discovery/protocol.h"
#include "findmodes.h"
#include "report.h"
#include "terminal.h"

#include <QSet>
#include <algorithm>
#include <chrono>

namespace {

QString valueKey(const FieldMatch &match, const QString &value)
{
    return match.column == DeviceRecord::MacAddressField ? macAddressKey(value) : value;
}

DeviceTable rowsWhere(const DeviceTable &table, const QVector<FieldMatch> &matches)
{
    DeviceTable matching{table.header, {}, {}};
    for (int row = 0; row < table.rows.size(); ++row) {
        const bool wanted = std::all_of(matches.begin(), matches.end(), [&](const FieldMatch &m) {
            return valueKey(m, table.rows[row][m.column]) == valueKey(m, m.value);
        });
        if (wanted) {
            matching.rows << table.rows[row];
            matching.warnings << table.warnings[row];
        }
    }
    return matching;
}

// "serial=A-2": a field asked for as the command line names it.
QString asked(const FieldMatch &match, const QString &value)
{
    return DeviceRecord::fieldKeys().at(match.column) + '=' + value;
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
                fields << asked(match, '\'' + visibleText(row.at(match.column)) + '\'');
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

} // namespace

int waitFor(SearchRounds &rounds, const FindOptions &options, OutputFormat format)
{
    rounds.stopTellingNothingHeard();
    const QDeadlineTimer deadline(std::chrono::seconds(options.timeoutSeconds));
    const auto waitOver = [&deadline] { return deadline.hasExpired() || stopSignalled(); };
    AnswersHeard heard(options.waitFor);
    while (true) {
        // A failing search returns at once; rounds keep at least a quiet time apart.
        const QDeadlineTimer nextRound(options.quietTimeMs);
        const SearchRounds::Round round = rounds.search(waitOver);
        tell(round.notes);
        if (round.found) {
            const DeviceTable matching = rowsWhere(*round.found, options.waitFor);
            if (!matching.rows.isEmpty()) {
                show(matching, format);
                return Searched;
            }
            heard.add(*round.found);
        }
        if (waitOver()) {
            QStringList conditions;
            for (const FieldMatch &match : options.waitFor)
                conditions << asked(match, match.value);
            const QString until = stopSignalled()
                                      ? QStringLiteral("before the stop")
                                      : QStringLiteral("within %1 s").arg(options.timeoutSeconds);
            tell({QStringLiteral("no reply with %1 %2. %3")
                      .arg(conditions.join(" and "), until, heard.told())});
            return SearchFailed;
        }
        pauseUntil(nextRound, waitOver);
    }
}
