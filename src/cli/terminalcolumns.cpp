#include "terminalcolumns.h"

#include <QTextBoundaryFinder>
#include <QVector>

namespace {

struct Range {
    uint first;
    uint last;
};

// Code points that terminals draw two columns wide.
constexpr Range WideRanges[] = {
    {0x1100, 0x115F},   // Hangul Jamo initial consonants
    {0x2329, 0x232A},   // angle brackets
    {0x2E80, 0x303E},   // CJK radicals, symbols and punctuation
    {0x3040, 0xA4CF},   // kana, CJK ideographs, Yi
    {0xAC00, 0xD7A3},   // Hangul syllables
    {0xF900, 0xFAFF},   // CJK compatibility ideographs
    {0xFE10, 0xFE19},   // vertical forms
    {0xFE30, 0xFE6F},   // CJK compatibility forms
    {0xFF00, 0xFF60},   // fullwidth forms
    {0xFFE0, 0xFFE6},   // fullwidth signs
    {0x1F300, 0x1F64F}, // pictographs and emoticons
    {0x1F900, 0x1F9FF}, // supplemental pictographs
    {0x20000, 0x2FFFD}, // CJK extension planes
    {0x30000, 0x3FFFD},
};

bool isWide(uint codePoint)
{
    for (const Range &range : WideRanges) {
        if (codePoint >= range.first && codePoint <= range.last)
            return true;
    }
    return false;
}

bool takesNoColumn(uint codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return true;
    default:
        return false;
    }
}

int clusterColumns(const QStringRef &cluster)
{
    bool visible = false;
    for (const uint codePoint : cluster.toUcs4()) {
        if (isWide(codePoint))
            return 2;
        visible = visible || !takesNoColumn(codePoint);
    }
    return visible ? 1 : 0;
}

} // namespace

int terminalColumns(const QString &text)
{
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    int columns = 0;
    int start = 0;
    for (int end = clusters.toNextBoundary(); end != -1; end = clusters.toNextBoundary()) {
        columns += clusterColumns(text.midRef(start, end - start));
        start = end;
    }
    return columns;
}
