// The window's zoom. Qt scales every window by a factor it takes when the application object
// is made, so the zoom of a run is chosen before that: from the command line, else from the
// settings, else from the size of the screen.
#pragma once

#include <QSize>
#include <optional>

namespace zoom {

inline constexpr int valores[] = {100, 150, 200};

bool isValido(int percentual);

// The largest zoom at which the main window takes at most three quarters of the screen's
// width and height, in the desktop's own pixels (a desktop that already scales by 2 counts
// a 3840 x 2160 screen as 1920 x 1080); 100 when even that is too large.
int padraoParaTela(QSize telaPixels, double escalaDesktop);

// The size in pixels of the X display's default screen, and the desktop's own scale (its
// font DPI over 96: QT_FONT_DPI, else the X resource Xft.dpi); nothing without an X display.
std::optional<QSize> telaX11(double &escalaDesktop);

// "--zoom PERCENT" among the options of argv (before "--"), when PERCENT is a zoom; the
// full check of the command line comes later, with the application.
std::optional<int> lerArgumento(int argc, char **argv);

// The zoom of this run: pedido, else guardado (0 when none was chosen), else the screen's.
int escolher(std::optional<int> pedido, int guardado);

// Makes the application about to be created scale its windows by percentual, on top of
// any scale factor the user's environment already sets.
void aplicar(int percentual);

}  // namespace zoom
