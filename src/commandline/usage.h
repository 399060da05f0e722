#pragma once

// What orvane-find and orvane-device-sim share on their command lines: help and version, one
// way to refuse bad usage, one reading of whole numbers.

#include <QCommandLineOption>
#include <QString>
#include <initializer_list>
#include <optional>

class QCommandLineParser;

// An option that takes a value; a default, where it has one, is told once, here, and the help
// shows it.
QCommandLineOption valueOption(const QStringList &names, const QString &description,
                               const QString &valueName, const QString &defaultValue = QString());

// Where the command line alone ends the program: help or version asked for (the text for
// standard output, status 0), or bad usage (the reason, status 2).
struct CommandLineEnd {
    int status;
    QString text;
};

CommandLineEnd badUsage(const QString &reason);

// Adds -h and --help, unlisted -? and --help-all (all the same help: Qt's own --help-all
// promises Qt's options, and these tools take none), -v and --version, then the program's
// options, and parses. Help, version, a refused option or an argument that is no option end the
// program here.
std::optional<CommandLineEnd> parseCommandLine(QCommandLineParser &parser,
                                               const QList<QCommandLineOption> &options,
                                               const QStringList &arguments);

// Help or version on standard output; bad usage as "PROGRAM: reason" and where to read more, on
// standard error. Qt's showHelp() and showVersion() would put the text in a message box on
// Windows where the program has no console window, as in a pipe or a scheduled task: it would
// never reach the caller, and the box would wait for a click. Returns the status.
int finish(const CommandLineEnd &end);

// An option whose value is a whole number from minimum to maximum, digits only; unit, such as
// "seconds", says what it counts.
struct NumberOption {
    const QCommandLineOption &option;
    const char *unit; // "" where it counts things
    int minimum;
    int maximum;
    int *target;
};

// Each option that is set, or has a default, read into its target; or the first refusal.
std::optional<CommandLineEnd> readNumbers(const QCommandLineParser &parser,
                                          std::initializer_list<NumberOption> numbers);
