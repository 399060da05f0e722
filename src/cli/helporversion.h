#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

// For --help and --version: the text on standard output, then exit 0. Qt's showHelp() and
// showVersion() put it in a message box on Windows where the program has no console window, as
// in a pipe or a scheduled task: the text never reaches the caller, and the box waits for a click.
[[noreturn]] inline void printAndExit(const QString &text)
{
    std::fputs(qPrintable(text), stdout);
    std::fflush(stdout);
    std::exit(0);
}
