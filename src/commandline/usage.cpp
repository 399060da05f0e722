#include "usage.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int BadUsage = 2;

void printText(FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

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
        printText(stdout, parser.helpText());
    else if (parser.isSet("version"))
        printText(stdout, QCoreApplication::applicationName() + ' ' +
                              QCoreApplication::applicationVersion() + '\n');
    else
        return;
    std::exit(0);
}

int usageFailure(const QString &message)
{
    const QString program = QCoreApplication::applicationName();
    printText(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more.\n").arg(program, message));
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
