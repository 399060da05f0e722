#pragma once

#include <QFile>

// The process's standard output and error as Qt devices, written byte for byte.
class StandardStreams {
public:
    StandardStreams();

    QFile &output() { return output_; }
    QFile &errors() { return errors_; }
    bool outputIsTerminal() const;

private:
    QFile output_;
    QFile errors_;
};
