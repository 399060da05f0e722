#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

// Where --help or --version is set: the text on standard output, then exit 0. Qt's showHelp()
// and showVersion() put it in a message box on Windows where the program has no console window,
// as in a pipe or a scheduled task: the text never reaches the caller, and the box waits for a
// click.
inline void printHelpOrVersion(const QCommandLineParser &parser, const QCommandLineOption &help,
                               const QCommandLineOption &version)
{
    QString text;
    if (parser.isSet(help))
        text = parser.helpText();
    else if (parser.isSet(version))
        text = QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() +
               '\n';
    else
        return;
    std::fputs(qPrintable(text), stdout);
    std::fflush(stdout);
    std::exit(0);
}
