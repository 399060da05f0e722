#include "interfacebox.h"

void InterfaceBox::showPopup()
{
    emit opening();
    QComboBox::showPopup();
}
