#include "usage.h"

#include "output.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int BadUsage = 2;

} // namespace

void addHelpAndVersionOptions(QCommandLineParser &parser)
{
    QCommandLineOption unlistedHelp(QStringList{"?", "help-all"});
    unlistedHelp.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions(
        {{QStringList{"h", "help"}, "Displays help on commandline options."}, unlistedHelp});
    parser.addVersionOption();
}

void printHelpOrVersion(const QCommandLineParser &parser)
{
    if (parser.isSet("help") || parser.isSet("help-all"))
        print(stdout, parser.helpText().toUtf8());
    else if (parser.isSet("version"))
        printLine(stdout, QCoreApplication::applicationName() + ' ' +
                              QCoreApplication::applicationVersion());
    else
        return;
    std::exit(0);
}

int usageFailure(const QString &message)
{
    const QString program = QCoreApplication::applicationName();
    printLine(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more.").arg(program, message));
    return BadUsage;
}

std::variant<int, QString> wholeNumber(const QString &option, const QString &text, int minimum,
                                       int maximum, const QString &unit)
{
    // toLongLong() alone would take a sign or blanks.
    bool isNumber = false;
    const qlonglong number = text.toLongLong(&isNumber);
    if (isNumber && !text.contains(QRegularExpression("[^0-9]")) && number >= minimum &&
        number <= maximum)
        return int(number);
    return QStringLiteral("--%1 takes a whole number%2 from %3 to %4, not '%5'.")
        .arg(option, unit.isEmpty() ? QString() : " of " + unit)
        .arg(minimum)
        .arg(maximum)
        .arg(text);
}
