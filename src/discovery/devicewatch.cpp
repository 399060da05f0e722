#include "devicewatch.h"

#include "protocol.h"

#include <QSet>

namespace {

constexpr int SearchesMissedWhenGone = 2;

QString tagOf(const QStringList &row)
{
    return row.mid(DeviceRecord::FieldCount).join('\t');
}

} // namespace

QString deviceIdentity(const QStringList &row)
{
    const QString &mac = row.value(DeviceRecord::MacAddressField);
    return tagOf(row) + '\n' +
           (mac.isEmpty() ? '|' + row.mid(0, DeviceRecord::FieldCount).join('|')
                          : macAddressKey(mac));
}

QVector<DeviceWatch::Event> DeviceWatch::update(const DeviceTable &found,
                                                const QSet<QString> &searchedTags)
{
    QVector<Event> events;
    QSet<QString> heard;
    for (int i = 0; i < found.rows.size(); ++i) {
        const QStringList &row = found.rows.at(i);
        const QString key = deviceIdentity(row);
        if (heard.contains(key))
            continue; // the first answer of a device counts
        heard << key;
        const auto known = known_.find(key);
        if (known == known_.end() || known->row != row)
            events.append(
                {known == known_.end() ? "appeared" : "changed", row, found.warnings.value(i)});
        known_[key] = {row, 0};
    }
    for (auto known = known_.begin(); known != known_.end();) {
        if (heard.contains(known.key()) || !searchedTags.contains(tagOf(known->row)) ||
            ++known->missedSearches < SearchesMissedWhenGone) {
            ++known;
            continue;
        }
        events.append({"gone", known->row, {}});
        known = known_.erase(known);
    }
    return events;
}
