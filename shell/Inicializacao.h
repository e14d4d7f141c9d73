// The program's start-up, message loop and shutdown.
#pragma once

#include <QString>

// What the program ends with.
enum SaidaPrograma : int {
  saidaNormal = 0,    // the main window was closed
  saidaRecusada = 1,  // start-up refused: no language, or a display not at 96 DPI
  saidaErro = 3,      // an error reached the last-resort report
};

// Whether a primary screen of ppp logical dots per inch is one the windows are made for.
// With Qt's high-DPI scaling a scaled desktop still reports 96 and draws the windows at its
// device pixel ratio.
bool isResolucaoAceita(double ppp);

// Brings the program up in order (configuration, language, the display check, the splash
// for at least a second, the main window, the setup dialog and the wizard), runs the message
// loop until the main window closes, and answers how the program ends. A refused start-up
// shows its message and creates no window. arquivo, when not empty, is opened in the main
// window as soon as it is shown; comPistas opens the lane view with it. An error escaping all this
// is shown by the last-resort report. Needs the QApplication; user-interface thread.
SaidaPrograma executarKovrinta(const QString &arquivo, bool comPistas = false);
