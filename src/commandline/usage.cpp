#include "usage.h"

#include "output.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <cstdio>

namespace {

constexpr int Done = 0;
constexpr int BadUsage = 2;

} // namespace

QCommandLineOption valueOption(const QStringList &names, const QString &description,
                               const QString &valueName, const QString &defaultValue)
{
    return QCommandLineOption(
        names,
        defaultValue.isEmpty() ? description
                               : QStringLiteral("%1 Default: %2.").arg(description, defaultValue),
        valueName, defaultValue);
}

CommandLineEnd badUsage(const QString &reason)
{
    return {BadUsage, reason};
}

std::optional<CommandLineEnd> parseCommandLine(QCommandLineParser &parser,
                                               const QList<QCommandLineOption> &options,
                                               const QStringList &arguments)
{
    QCommandLineOption unlistedHelp(QStringList{"?", "help-all"});
    unlistedHelp.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions(
        {{QStringList{"h", "help"}, "Displays help on commandline options."}, unlistedHelp});
    parser.addVersionOption();
    parser.addOptions(options);
    if (!parser.parse(arguments))
        return badUsage(parser.errorText());
    // Qt's help names the program by the path it was started from.
    if (parser.isSet("help") || parser.isSet("help-all"))
        return CommandLineEnd{
            Done, parser.helpText().replace("Usage: " + QCoreApplication::arguments().constFirst(),
                                            "Usage: " + QCoreApplication::applicationName())};
    if (parser.isSet("version"))
        return CommandLineEnd{Done, QCoreApplication::applicationName() + ' ' +
                                        QCoreApplication::applicationVersion() + '\n'};
    if (!parser.positionalArguments().isEmpty())
        return badUsage(
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[0]));
    return std::nullopt;
}

int finish(const CommandLineEnd &end)
{
    if (end.status == Done) {
        print(stdout, end.text.toUtf8());
    } else {
        const QString program = QCoreApplication::applicationName();
        printLine(stderr,
                  QStringLiteral("%1: %2\nTry '%1 --help' for more.").arg(program, end.text));
    }
    return end.status;
}

std::optional<CommandLineEnd> readNumbers(const QCommandLineParser &parser,
                                          std::initializer_list<NumberOption> numbers)
{
    for (const NumberOption &number : numbers) {
        if (!parser.isSet(number.option) && number.option.defaultValues().isEmpty())
            continue;
        const QString text = parser.value(number.option);
        // toLongLong() alone would take a sign or blanks.
        bool isNumber = false;
        const qlonglong value = text.toLongLong(&isNumber);
        if (!isNumber || text.contains(QRegularExpression("[^0-9]")) || value < number.minimum ||
            value > number.maximum)
            return badUsage(
                QStringLiteral("--%1 takes a whole number%2 from %3 to %4, not '%5'.")
                    .arg(number.option.names().last(),
                         *number.unit ? QStringLiteral(" of ") + number.unit : QString())
                    .arg(number.minimum)
                    .arg(number.maximum)
                    .arg(text));
        *number.target = int(value);
    }
    return std::nullopt;
}
