// The splash window shown while the program starts.
#pragma once

#include <QWidget>

class QLabel;

// A borderless 250 x 250 square in RGB(33, 100, 173), centred on the screen, showing the
// language's picture "frmEntrada"/"imgEntrada" centred in it (a plain square when the
// language has none). A language must be loaded. User-interface thread only.
class TformSplash : public QWidget {
  Q_OBJECT

 public:
  static constexpr int lado = 250;
  static constexpr int milissegundosExibida = 1000;

  explicit TformSplash(QWidget *parent = nullptr);

  // Shows the window centred on the primary screen and returns once it is on the screen, or
  // after three seconds when the window system never shows it.
  void exibir();
  // Shows the window as exibir() does and keeps it on the screen, repainting it when asked,
  // for a second from when it appeared (not from when it was asked for).
  void exibirPorUmSegundo();

  QLabel *getImgEntrada() const { return imgEntrada; }

 private:
  QLabel *imgEntrada;
};

// The splash window of the running program, made at start-up and hidden once the windows
// stand.
extern TformSplash *formSplash;
