#include "ui/desktopscale.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

int main(int argc, char *argv[])
{
    // The window draws nothing with OpenGL; on X11 loading the GL driver only slows the start.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    // On a scaled desktop the window keeps its size in device-independent pixels, scaled as the
    // desktop asks: Qt 5 would round 150 % up to 200 % and 125 % down to 100 %.
    scaleOnlyAsTheDesktopAsks();
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication application(argc, argv);
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.orvane.Finder"));
    // The icon in every size rendered at build time, so that no system scales it down itself.
    QIcon icon;
    for (QDirIterator sizes(QStringLiteral(":/icon")); sizes.hasNext();)
        icon.addFile(sizes.next());
    QApplication::setWindowIcon(icon);
    MainWindow window;
    window.show();
    return application.exec();
}
