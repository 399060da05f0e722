#pragma once

class QWidget;

// No maximise button, and the size its form gave it for good.
void fixToItsSize(QWidget *window);
