#include "devicetable.h"

#include "discovery/protocol.h"

DeviceTable DeviceTable::fromSearches(const std::vector<InterfaceSearchResult> &searches,
                                      bool tagInterface)
{
    DeviceTable table;
    table.header = DeviceRecord::fieldNames();
    if (tagInterface)
        table.header << QStringLiteral("Interface");
    for (const InterfaceSearchResult &search : searches) {
        for (const QString &reply : search.replies) {
            const DeviceRecord record = DeviceRecord::fromReplyText(reply);
            QStringList row(record.fields.begin(), record.fields.end());
            if (tagInterface)
                row << search.interface.description;
            table.rows.append(row);
        }
    }
    return table;
}
