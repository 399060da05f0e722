#include "fixedsize.h"

#include <QWidget>

void fixToItsSize(QWidget *window)
{
    window->setWindowFlags((window->windowFlags() & ~Qt::WindowMaximizeButtonHint) |
                           Qt::CustomizeWindowHint);
    window->setFixedSize(window->width(), window->height());
}
