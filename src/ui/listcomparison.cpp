#include "listcomparison.h"

#include "plainerror.h"

#include <QFileDialog>
#include <QTableWidget>
#include <algorithm>

namespace {

// On the Hostname cell: the row of the comparison it shows, wherever sorting has moved it.
constexpr int ComparedRowRole = Qt::UserRole + 10;

void describe(QTableWidgetItem *cell, const QString &why)
{
    cell->setToolTip(why);
    cell->setData(Qt::AccessibleDescriptionRole, why);
}

} // namespace

bool ListComparison::choose(QWidget *parent)
{
    const QString path =
        QFileDialog::getOpenFileName(parent, QStringLiteral("Compare With List"), QString(),
                                     QStringLiteral("Lists (*.csv *.json);;All files (*)"));
    if (path.isEmpty())
        return false;
    auto read = readExpectedList(path);
    if (const QString *why = std::get_if<QString>(&read)) {
        showPlainError(*why);
        return false;
    }
    list_ = std::get<ExpectedList>(std::move(read));
    return true;
}

QVector<DeviceRecord> ListComparison::compare(const QVector<DeviceRecord> &replies,
                                              const QVector<QStringList> &warnings)
{
    compared_ = Comparison();
    if (!list_)
        return {};
    DeviceTable found{DeviceRecord::fieldNames(), {}, warnings};
    for (const DeviceRecord &reply : replies)
        found.rows << QStringList(reply.fields.begin(), reply.fields.end());
    compared_ = compared(found, *list_);
    QVector<DeviceRecord> missing;
    for (auto row = compared_.rows.begin() + replies.size(); row != compared_.rows.end(); ++row) {
        DeviceRecord device;
        std::copy_n(row->cells.begin(), DeviceRecord::FieldCount, device.fields.begin());
        missing << device;
    }
    return missing;
}

void ListComparison::mark(QTableWidget *table, const QIcon &sign) const
{
    const QColor grey = table->palette().color(QPalette::Disabled, QPalette::Text);
    for (int row = 0; row < compared_.rows.size(); ++row) {
        const ComparedRow &compared = compared_.rows[row];
        QTableWidgetItem *hostname = table->item(row, 0);
        hostname->setData(ComparedRowRole, row);
        if (compared.check == Check::Missing) {
            for (int column = 0; column < table->columnCount(); ++column) {
                table->item(row, column)->setForeground(grey);
                describe(table->item(row, column),
                         QStringLiteral("Missing: expected, did not answer"));
            }
        } else if (compared.check != Check::AsExpected) {
            hostname->setIcon(sign);
            describe(hostname,
                     compared.check == Check::Unexpected
                         ? QStringLiteral("Not in the list")
                         : "Differs from the list: " +
                               differencesText(compared.differences, QStringLiteral(" ")));
        }
    }
}

QString ListComparison::summary() const
{
    return list_ ? comparisonSummary(compared_) : QString();
}

bool ListComparison::isMissing(const QTableWidget *table, int row) const
{
    const ComparedRow *compared = comparedRow(table, row);
    return compared && compared->check == Check::Missing;
}

DeviceTable ListComparison::report(const QTableWidget *table) const
{
    QVector<ComparedRow> shown;
    for (int row = 0; row < table->rowCount(); ++row)
        shown << *comparedRow(table, row);
    return comparisonReport(DeviceRecord::fieldNames(), shown);
}

const ComparedRow *ListComparison::comparedRow(const QTableWidget *table, int row) const
{
    const QTableWidgetItem *hostname = table->item(row, 0);
    const QVariant compared = hostname ? hostname->data(ComparedRowRole) : QVariant();
    return list_ && compared.isValid() ? &compared_.rows.at(compared.toInt()) : nullptr;
}
