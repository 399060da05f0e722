#pragma once

#include <QComboBox>

// The interface list, which says when it is about to open: the system's list may have changed
// since it was filled.
class InterfaceBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override;

signals:
    void opening();
};
