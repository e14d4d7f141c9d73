// A private X display for tests that run the program as a user would: an Xvfb server of the
// test's own, and the xdotool commands that find the program's windows and press on them.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>

namespace kovrinta::test {

class ServidorXvfb {
 public:
  // Starts "Xvfb -displayfd" on the first free display number, 1280 x 1024 at 24 bits, and
  // waits until it answers. pronto() tells whether it did.
  ServidorXvfb();
  // Stops the server and waits for it to end.
  ~ServidorXvfb();
  ServidorXvfb(const ServidorXvfb &) = delete;
  ServidorXvfb &operator=(const ServidorXvfb &) = delete;

  bool pronto() const { return !display.isEmpty(); }
  // ":N".
  const QString &getDisplay() const { return display; }
  const QString &getFalha() const { return falha; }

  // The environment of a program on this display: xcb, this DISPLAY, no Wayland.
  QProcessEnvironment ambiente(
      QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

  // A window of the display as xdotool reports it.
  struct Janela {
    QString id;
    QString nome;
    QRect geometria;
  };
  // The mapped windows of the display, with their names and places.
  QList<Janela> janelas() const;
  // Waits until a mapped window for which aceita answers true exists; that window, or
  // nothing after prazo.
  std::optional<Janela> esperarJanela(const std::function<bool(const Janela &)> &aceita,
                                      std::chrono::milliseconds prazo) const;

  // Runs xdotool with argumentos on this display; true when it succeeded.
  bool xdotool(const QStringList &argumentos, QString *saida = nullptr) const;

 private:
  QProcess servidor;
  QString display;
  QString falha;
};

}  // namespace kovrinta::test
