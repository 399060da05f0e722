#pragma once

// What orvane-find and orvane-device-sim share on their command lines: help and version, one
// way to refuse bad usage, one check of whole numbers.

#include <QString>
#include <variant>

class QCommandLineParser;

// -h and --help, and unlisted -? and --help-all, which all print the same help: Qt's own
// --help-all promises Qt's options, and these tools take none. Then -v and --version.
void addHelpAndVersionOptions(QCommandLineParser &parser);

// Where help or version is asked for, the text on standard output, then exit 0. Qt's showHelp()
// and showVersion() put it in a message box on Windows where the program has no console window,
// as in a pipe or a scheduled task: the text never reaches the caller, and the box waits for a
// click.
void printHelpOrVersion(const QCommandLineParser &parser);

// "PROGRAM: message" and where to read more, on standard error; returns the status of bad usage.
int usageFailure(const QString &message);

// TEXT as a whole number from MINIMUM to MAXIMUM, digits only, or why --OPTION refuses it; UNIT,
// such as "seconds", says what it counts.
std::variant<int, QString> wholeNumber(const QString &option, const QString &text, int minimum,
                                       int maximum, const QString &unit = QString());
