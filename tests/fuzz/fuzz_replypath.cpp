#include "replypath.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

// libFuzzer's entry points: every input is one datagram that reached the finder.

namespace {
ReplyPath *replyPath = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The window is never shown; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_replypath";
    static char *argv[] = {name, nullptr};
    // Both live until the process ends: libFuzzer leaves through exit(), and Qt
    // cannot be taken down from static destructors.
    new QApplication(argc, argv);
    replyPath = new ReplyPath;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString failure = replyPath->check(data, size);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "reply path: %s\n", failure.toUtf8().constData());
        std::abort();
    }
    return 0;
}
