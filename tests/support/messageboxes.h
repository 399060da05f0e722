#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Closes every message box that comes up while it lives, with its OK
// button, and keeps what each one said.
class MessageBoxCloser : public QObject {
    Q_OBJECT

public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        bool hadParent;
        bool onlyOk;
        bool anyMainWindowVisible;
    };

    MessageBoxCloser();

    QList<Seen> seen() const { return seen_; }

private:
    void closeVisibleBoxes();

    QTimer timer_;
    QList<Seen> seen_;
};
