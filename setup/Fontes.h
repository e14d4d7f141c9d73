// The fonts of the device-setup windows.
#pragma once

#include <QFont>

// DejaVu Sans at a size in pixels, so that a window laid out in pixels looks the same
// whatever the display's settings.
QFont fonteJanela(int pixels, bool negrito = false);

// The windows' text size: the 8-point system font of a 96 DPI display.
inline constexpr int pixelsTexto = 11;
