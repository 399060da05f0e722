#include "messageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>

MessageBoxCloser::MessageBoxCloser()
{
    connect(&timer_, &QTimer::timeout, this, &MessageBoxCloser::closeVisibleBoxes);
    timer_.start(10);
}

void MessageBoxCloser::closeVisibleBoxes()
{
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    bool mainWindowVisible = false;
    for (QWidget *widget : topLevels)
        mainWindowVisible |= qobject_cast<QMainWindow *>(widget) && widget->isVisible();
    for (QWidget *widget : topLevels) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (box == nullptr || !box->isVisible())
            continue;
        seen_.append({box->windowTitle(), box->text(), box->icon(), box->parentWidget() != nullptr,
                      box->standardButtons() == QMessageBox::Ok, mainWindowVisible});
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }
}
