#include "desktopscale.h"

// Windows gives every program the scale its user chose (96 dpi at 100 %): nothing to ask.
void scaleOnlyAsTheDesktopAsks() {}
