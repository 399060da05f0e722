#include "report.h"

#include "commandline/output.h"

#include <cstdio>

namespace {

const QString Program = QStringLiteral("orvane-find: ");

} // namespace

void show(const DeviceTable &table, OutputFormat format, Layout layout)
{
    print(stdout, formatted(table, format, layout));
    // One write for them all: a flood of replies can bring a warning each.
    QString lines;
    for (const QStringList &row : table.warnings) {
        for (const QString &warning : row)
            lines += Program + "warning: " + warning + '\n';
    }
    print(stderr, lines.toUtf8());
}

void tell(const QStringList &notes)
{
    for (const QString &note : notes)
        printLine(stderr, Program + note);
}
