#include "progressline.h"

#include "commandline/output.h"

namespace {

constexpr qint64 QuietStartMs = 1000; // a short sweep shows no line
constexpr qint64 RedrawMs = 100;

} // namespace

void ProgressLine::operator()(const SweepProgress &progress)
{
    if (!sweeping_.isValid())
        sweeping_.start();
    if (progress.done) {
        // Blanks, not an escape sequence: every console understands them.
        if (shownWidth_ > 0)
            write(QString(shownWidth_, ' '));
        write(QString());
        shownWidth_ = 0;
        sweeping_.invalidate();
        lastShownMs_ = 0;
        return;
    }
    const qint64 now = sweeping_.elapsed();
    if (now < QuietStartMs || now - lastShownMs_ < RedrawMs)
        return;
    lastShownMs_ = now;
    const QString text = QStringLiteral("orvane-find: sent %1 of %2 requests; devices heard: %3")
                             .arg(progress.sent)
                             .arg(progress.total)
                             .arg(progress.heard);
    write(text.leftJustified(shownWidth_));
    shownWidth_ = text.size();
}

void ProgressLine::write(const QString &text)
{
    print(stderr, ('\r' + text).toUtf8());
}
