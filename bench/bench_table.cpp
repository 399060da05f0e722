// Filling the results table from a delivered list, as the window does it; and the two parts
// of it that come on top of placing the items: judging the replies and fitting the columns.
// Sorting the filled table, as a click on a header does. A list of the devices expected compared
// with as many answers.
#include "discovery/expectedlist.h"
#include "discovery/replyjudgement.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QStringList>
#include <QTableWidget>
#include <benchmark/benchmark.h>

namespace {

QStringList replies(int count)
{
    QStringList list;
    list.reserve(count);
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("device-%1|10.%2.%3.%4|255.255.0.0|02:00:00:%5|Orvane IO-Box "
                               "16|SN-%1|2.4.1")
                    .arg(i)
                    .arg(i / 65536)
                    .arg(i / 256 % 256)
                    .arg(i % 256)
                    .arg(i, 8, 16, QLatin1Char('0'));
    return list;
}

std::optional<std::vector<Adapter>> noAdapters()
{
    return std::vector<Adapter>{};
}

void BM_FillTable(benchmark::State &state)
{
    const QStringList list = replies(static_cast<int>(state.range(0)));
    MainWindow window(nullptr, noAdapters);
    window.show();
    for (auto _ : state) {
        QMetaObject::invokeMethod(&window, "setTableWidget", Q_ARG(QStringList, list));
        // The rows are painted before the user sees them.
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_JudgeReplies(benchmark::State &state)
{
    QVector<DeviceRecord> records;
    for (const QString &reply : replies(static_cast<int>(state.range(0))))
        records << DeviceRecord::fromReplyText(reply);
    const NetworkInterface lan{"lan0", "10.0.0.1", "255.255.0.0"}; // most rows are outside
    for (auto _ : state)
        benchmark::DoNotOptimize(judgedReplies(records, lan));
}

// Every host of a /15 answering from outside the interface's subnet: no free address to offer
// in theirs, which each reply's advice would look for anew were it not kept per subnet.
void BM_JudgeFullSubnet(benchmark::State &state)
{
    QVector<DeviceRecord> records;
    for (int host = 1; host <= state.range(0); ++host)
        records << DeviceRecord::fromReplyText(QStringLiteral("a|10.%1.%2.%3|255.254.0.0")
                                                   .arg(90 + (host >> 16))
                                                   .arg(host >> 8 & 255)
                                                   .arg(host & 255));
    const NetworkInterface lan{"lan0", "10.0.0.1", "255.255.0.0"};
    for (auto _ : state)
        benchmark::DoNotOptimize(judgedReplies(records, lan));
}

void BM_FitColumns(benchmark::State &state)
{
    MainWindow window(nullptr, noAdapters);
    window.show();
    QMetaObject::invokeMethod(&window, "setTableWidget",
                              Q_ARG(QStringList, replies(static_cast<int>(state.range(0)))));
    auto *table = window.findChild<QTableWidget *>("tableWidget");
    for (auto _ : state)
        table->resizeColumnsToContents();
}

// A click on the header of Hostname (text, which puts device-10 before device-9) or of IP-Address
// (numbers), with the rows in the other column's order before each: every row moves.
void BM_SortByHeader(benchmark::State &state)
{
    MainWindow window(nullptr, noAdapters);
    window.show();
    QMetaObject::invokeMethod(&window, "setTableWidget",
                              Q_ARG(QStringList, replies(static_cast<int>(state.range(0)))));
    QHeaderView *header = window.findChild<QTableWidget *>("tableWidget")->horizontalHeader();
    const int column = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        header->setSortIndicator(1 - column, Qt::AscendingOrder);
        QApplication::processEvents();
        state.ResumeTiming();
        header->setSortIndicator(column, Qt::AscendingOrder);
        QApplication::processEvents();
    }
}

// The list read from the CSV orvane-find writes, matched, compared and its report made: its
// MAC-Addresses in the other case, every 100th firmware another, its last ten devices not among
// the answers (so ten missing, ten unexpected).
void BM_CompareWithList(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    DeviceTable found{DeviceRecord::fieldNames(), {}, {}};
    DeviceTable listed = found;
    for (const QString &reply : replies(count)) {
        QStringList fields = reply.split('|');
        found.rows << fields;
        found.warnings << QStringList();
        const int row = listed.rows.size();
        QString &mac = fields[DeviceRecord::MacAddressField];
        mac = row < count - 10 ? mac.toUpper() : QStringLiteral("other-%1").arg(row);
        if (row % 100 == 0)
            fields[DeviceRecord::FieldCount - 1] = QStringLiteral("2.5.0");
        listed.rows << fields;
    }
    const QByteArray list = csvText(listed).toUtf8();
    for (auto _ : state) {
        const auto expected = parseExpectedList(list, QStringLiteral("list.csv"));
        const Comparison comparison = compared(found, std::get<ExpectedList>(expected));
        benchmark::DoNotOptimize(comparisonReport(found.header, comparison.rows));
    }
}

} // namespace

BENCHMARK(BM_FillTable)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JudgeReplies)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JudgeFullSubnet)->Arg(131070)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitColumns)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByHeader)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareWithList)->Arg(1000)->Unit(benchmark::kMillisecond);

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
