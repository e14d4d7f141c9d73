// The program's artwork for the screen it shows on.
#pragma once

#include <QPixmap>
#include <QString>

// The picture of the resource recurso (":/<folder>/<name>.png") for the screens' pixel ratio.
// The build renders every drawing also at 1.5 and 2 times its size ("<name>@1.5x.png",
// "<name>@2x.png"); the smallest that is at least as fine as the screen is taken, so that a
// zoomed window shows every picture sharp, never stretched. A null pixmap when recurso is
// missing.
QPixmap figuraArte(const QString &recurso);

// The scale of the rendering figuraArte takes for a pixel ratio: 1, 1.5 or 2.
double escalaFiguraArte(double razaoPixels);
// What the name of a rendering at escala (1.5 or 2) carries: "@1.5x" or "@2x".
QLatin1StringView sufixoFiguraArte(double escala);
// The scale the screens' pixel ratio asks for (escalaFiguraArte); 1 without an application.
double escalaFiguraArteDaTela();
