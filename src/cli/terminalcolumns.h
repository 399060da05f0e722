#pragma once

#include <QString>

// How many columns a terminal gives the text, counted per grapheme cluster:
// two for East Asian wide and fullwidth characters and emoji, none for a cluster
// of only combining marks or format characters, one otherwise. Terminals differ
// at the edges (ambiguous widths, emoji sequences); this is the common case.
int terminalColumns(const QString &text);
