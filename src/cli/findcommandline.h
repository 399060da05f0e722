#pragma once

#include "findrequest.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <variant>

// orvane-find's options: turns the arguments into a request and explains them.
class FindCommandLine {
public:
    FindCommandLine();

    // The arguments include the program name first, as QCoreApplication gives them.
    std::variant<FindRequest, UsageError> parse(const QStringList &arguments);
    QString helpText() const;
    static QString versionText();

private:
    std::variant<FindRequest, UsageError> request() const;

    QCommandLineParser parser_;
    const QCommandLineOption help_;
    const QCommandLineOption version_;
    const QCommandLineOption listInterfaces_;
    const QCommandLineOption interface_;
    const QCommandLineOption all_;
    const QCommandLineOption format_;
    const QCommandLineOption wait_;
};
