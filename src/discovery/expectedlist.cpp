#include "expectedlist.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <optional>

namespace {

constexpr int HostnameField = 0;
constexpr int SerialField = 5;

// A CSV record and the line it starts on.
struct CsvRecord {
    int line;
    QStringList cells;
};

// RFC 4180, line breaks inside quotes too; a record of empty cells alone is a blank line.
// Without an end to a quoted cell, the line where it starts.
std::variant<QVector<CsvRecord>, int> csvRecords(const QString &text)
{
    QVector<CsvRecord> records;
    QStringList cells;
    QString cell;
    int line = 1, recordLine = 1, quoteLine = 0;
    bool quoted = false;
    const auto next = [&text](int i) { return i + 1 < text.size() ? text[i + 1] : QChar(); };
    const auto endRecord = [&] {
        cells << cell;
        if (!cells.join(QString()).isEmpty())
            records.append({recordLine, cells});
        cells.clear();
        cell.clear();
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && next(i) == '"')
                cell += text[i++];
            else if (c == '"')
                quoted = false;
            else
                cell += c;
            line += c == '\n';
        } else if (c == '"') {
            quoted = true;
            quoteLine = line;
        } else if (c == ',') {
            cells << cell;
            cell.clear();
        } else if (c == '\r' || c == '\n') {
            i += c == '\r' && next(i) == '\n';
            endRecord();
            recordLine = ++line;
        } else {
            cell += c;
        }
    }
    if (quoted)
        return quoteLine;
    endRecord();
    return records;
}

// The fields that name a device, in the order they decide.
constexpr int NamingFields[] = {DeviceRecord::MacAddressField, SerialField, HostnameField};

// "FIELD:VALUE": what a field's value names a device as, a MAC-Address in any case.
QString nameKey(int field, const QString &value)
{
    return QString::number(field) + ':' +
           (field == DeviceRecord::MacAddressField ? macAddressKey(value) : value);
}

// What names a list row's device: the first of its naming fields it fills; empty where none.
QString listKey(const DeviceRecord &row)
{
    for (const int field : NamingFields) {
        if (!row.fields[field].isEmpty())
            return nameKey(field, row.fields[field]);
    }
    return QString();
}

// "MAC-Address AA:BB:…", as a refusal names the device of a key.
QString keyName(const QString &key)
{
    const int colon = key.indexOf(':');
    return DeviceRecord::fieldNames()[key.left(colon).toInt()] + ' ' +
           visibleText(key.mid(colon + 1)); // for terminals
}

// The field a column's name names, in any case and between blanks; -1 for another column.
int fieldNamed(const QString &column)
{
    const QStringList names = DeviceRecord::fieldNames();
    for (int field = 0; field < names.size(); ++field) {
        if (column.trimmed().compare(names[field], Qt::CaseInsensitive) == 0)
            return field;
    }
    return -1;
}

// Refuses a row that names no device, or one an earlier row names. where: "line" or "object".
std::optional<QString> addRow(ExpectedList &list, QHash<QString, int> &named,
                              const DeviceRecord &row, const QString &where, int place,
                              const QString &name)
{
    const QString key = listKey(row);
    const QString at = QStringLiteral("%1, %2 %3: ").arg(name, where, QString::number(place));
    if (key.isEmpty())
        return at + "names no device: its MAC-Address, Serial No and Hostname are all empty";
    if (named.contains(key))
        return at + QStringLiteral("names the same device as %1 %2 (%3)")
                        .arg(where, QString::number(named[key]), keyName(key));
    named.insert(key, place);
    list << row;
    return std::nullopt;
}

std::variant<ExpectedList, QString> csvList(const QString &text, const QString &name)
{
    const auto parsed = csvRecords(text);
    if (const int *line = std::get_if<int>(&parsed))
        return QStringLiteral("%1, line %2: a quoted cell that does not end")
            .arg(name, QString::number(*line));
    const QVector<CsvRecord> &records = std::get<QVector<CsvRecord>>(parsed);
    // Each of the seven fields' position among the header's cells, -1 where it has none.
    QVector<int> columns(DeviceRecord::FieldCount, -1);
    const CsvRecord header = records.value(0);
    for (int cell = 0; cell < header.cells.size(); ++cell) {
        if (const int field = fieldNamed(header.cells[cell]); field >= 0)
            columns[field] = cell;
    }
    if (columns == QVector<int>(DeviceRecord::FieldCount, -1))
        return name + ": neither CSV with a header row naming its columns (" +
               DeviceRecord::fieldNames().join(", ") + ") nor JSON";
    if (columns[DeviceRecord::MacAddressField] < 0 && columns[SerialField] < 0 &&
        columns[HostnameField] < 0)
        return QStringLiteral("%1, line %2: no column names a device: the header needs "
                              "MAC-Address, Serial No or Hostname")
            .arg(name, QString::number(header.line));
    ExpectedList list;
    QHash<QString, int> named;
    for (auto record = records.begin() + 1; record != records.end(); ++record) {
        DeviceRecord row;
        for (int field = 0; field < DeviceRecord::FieldCount; ++field)
            row.fields[field] = csvCellText(record->cells.value(columns[field]));
        if (const auto refusal = addRow(list, named, row, "line", record->line, name))
            return *refusal;
    }
    return list;
}

std::variant<ExpectedList, QString> jsonList(const QByteArray &bytes, const QString &name)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("%1: not valid JSON: %2 at character %3")
            .arg(name, error.errorString(), QString::number(error.offset));
    const QJsonArray objects = document.array();
    const auto notObject = [](const QJsonValue &value) { return !value.isObject(); };
    if (!document.isArray() || std::any_of(objects.begin(), objects.end(), notObject))
        return name + ": JSON, but not an array of objects";
    ExpectedList list;
    QHash<QString, int> named;
    for (int place = 0; place < objects.size(); ++place) {
        const QJsonObject object = objects[place].toObject();
        DeviceRecord row;
        for (auto key = object.begin(); key != object.end(); ++key) {
            if (const int field = fieldNamed(key.key()); field >= 0)
                row.fields[field] = key.value().toVariant().toString();
        }
        if (const auto refusal = addRow(list, named, row, "object", place + 1, name))
            return *refusal;
    }
    return list;
}

// Each field the list fills that the answer shows otherwise; a MAC-Address in any case.
QVector<FieldDifference> differencesOf(const QStringList &found, const DeviceRecord &expected)
{
    QVector<FieldDifference> differences;
    for (int field = 0; field < DeviceRecord::FieldCount; ++field) {
        const QString &wanted = expected.fields[field];
        const QString shown = found.value(field);
        const bool same = field == DeviceRecord::MacAddressField
                              ? macAddressKey(shown) == macAddressKey(wanted)
                              : shown == wanted;
        if (!wanted.isEmpty() && !same)
            differences.append({DeviceRecord::fieldNames()[field], shown, wanted});
    }
    return differences;
}

QString checkText(Check check)
{
    switch (check) {
    case Check::AsExpected:
        return QStringLiteral("as expected");
    case Check::Differs:
        return QStringLiteral("differs");
    case Check::Missing:
        return QStringLiteral("missing");
    case Check::Unexpected:
        break;
    }
    return QStringLiteral("unexpected");
}

} // namespace

QString differencesText(const QVector<FieldDifference> &differences, const QString &afterField)
{
    QStringList texts;
    for (const FieldDifference &difference : differences)
        texts << difference.field + afterField +
                     QStringLiteral("%1, expected %2").arg(difference.found, difference.expected);
    return texts.join(QLatin1String("; "));
}

std::variant<ExpectedList, QString> readExpectedList(const QString &path)
{
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: cannot be read: %2").arg(name, file.errorString());
    return parseExpectedList(file.readAll(), name);
}

std::variant<ExpectedList, QString> parseExpectedList(const QByteArray &bytes, const QString &name)
{
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    const QByteArray start = text.trimmed().left(1);
    if (start == "[" || start == "{")
        return jsonList(text, name);
    return csvList(QString::fromUtf8(text), name);
}

Comparison compared(const DeviceTable &found, const ExpectedList &expected)
{
    Comparison comparison;
    comparison.expected = expected.size();
    QHash<QString, int> byKey; // a list row by what names its device
    for (int row = 0; row < expected.size(); ++row)
        byKey.insert(listKey(expected[row]), row);
    QVector<int> answeredBy(expected.size(), -1);
    QHash<QString, int> heard; // an answer's seven fields: its comparison row
    for (int answer = 0; answer < found.rows.size(); ++answer) {
        const QStringList &cells = found.rows[answer];
        const QStringList warnings = found.warnings.value(answer);
        const QString fields = cells.mid(0, DeviceRecord::FieldCount).join('|');
        if (heard.contains(fields)) {
            ComparedRow again = comparison.rows[heard[fields]];
            comparison.rows.append({again.check, cells, warnings, again.differences});
            continue;
        }
        heard.insert(fields, answer);
        // The first of its names the list knows decides; a row answers once.
        int row = -1;
        for (const int field : NamingFields) {
            const QString name = cells.value(field);
            if (row < 0 && !name.isEmpty())
                row = byKey.value(nameKey(field, name), -1);
        }
        if (row < 0 || answeredBy[row] >= 0) {
            comparison.rows.append({Check::Unexpected, cells, warnings, {}});
            ++comparison.unexpected;
            continue;
        }
        answeredBy[row] = answer;
        const QVector<FieldDifference> differences = differencesOf(cells, expected[row]);
        const Check check = differences.isEmpty() ? Check::AsExpected : Check::Differs;
        comparison.rows.append({check, cells, warnings, differences});
        ++(differences.isEmpty() ? comparison.asExpected : comparison.differing);
    }
    const int width = std::max(DeviceRecord::FieldCount, int(found.header.size()));
    for (int row = 0; row < expected.size(); ++row) {
        if (answeredBy[row] >= 0)
            continue;
        QStringList cells(expected[row].fields.begin(), expected[row].fields.end());
        while (cells.size() < width)
            cells << QString();
        comparison.rows.append({Check::Missing, cells, {}, {}});
        ++comparison.missing;
    }
    return comparison;
}

DeviceTable comparisonReport(const QStringList &foundHeader, const QVector<ComparedRow> &rows)
{
    DeviceTable report{QStringList{"Check"} + foundHeader + QStringList{"Differences"}, {}, {}};
    for (const ComparedRow &row : rows) {
        report.rows << QStringList{checkText(row.check)} + row.cells +
                           QStringList{differencesText(row.differences, QStringLiteral(": "))};
        report.warnings << row.warnings;
        report.differences << row.differences;
    }
    return report;
}

QString comparisonSummary(const Comparison &comparison)
{
    return QStringLiteral("%1 of %2 expected %3 as expected; %4 %5, %6 missing; %7 unexpected")
        .arg(comparison.asExpected)
        .arg(comparison.expected)
        .arg(comparison.expected == 1 ? "device" : "devices")
        .arg(comparison.differing)
        .arg(comparison.differing == 1 ? "differs" : "differ")
        .arg(comparison.missing)
        .arg(comparison.unexpected);
}

bool allAsExpected(const Comparison &comparison)
{
    return comparison.asExpected == comparison.expected && comparison.unexpected == 0;
}
