#pragma once

// Before the application starts: where the desktop names no scale of its own, the window is drawn
// at 96 dpi, one pixel per pixel, rather than at the scale the monitor's physical size suggests.
void scaleOnlyAsTheDesktopAsks();
