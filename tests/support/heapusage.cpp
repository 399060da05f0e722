#include "heapusage.h"

#if defined(__SANITIZE_ADDRESS__)
// GCC ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <QRegularExpression>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#endif

#if !defined(__SANITIZE_ADDRESS__)
namespace {
// A total from the summary of all arenas that follows the last arena in malloc_info's report.
qint64 mallocTotal(const QString &summary, const QString &element, const QString &type)
{
    const QRegularExpression pattern(
        QStringLiteral("<%1 type=\"%2\"[^>]* size=\"(\\d+)\"").arg(element, type));
    return pattern.match(summary).captured(1).toLongLong();
}
} // namespace
#endif

qint64 heapBytesInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
    char *report = nullptr;
    std::size_t size = 0;
    FILE *stream = open_memstream(&report, &size);
    malloc_info(0, stream);
    std::fclose(stream);
    const QString xml = QString::fromUtf8(report, static_cast<int>(size));
    std::free(report);
    const QString summary = xml.mid(xml.lastIndexOf(QLatin1String("</heap>")));
    return mallocTotal(summary, "system", "current") + mallocTotal(summary, "total", "mmap") -
           mallocTotal(summary, "total", "fast") - mallocTotal(summary, "total", "rest");
#endif
}
