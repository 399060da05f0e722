#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>

// Writes at once: a watch's or a simulator's lines must not wait in a buffer.
void print(FILE *stream, const QByteArray &bytes);
void printLine(FILE *stream, const QString &line);
