// An X display of a benchmark's own, for the programs whose window it drives: Xvfb, xdotool's
// queries of its windows, and one xdotool that presses keys as it is told.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

namespace bench {

// Xvfb on the first free display, which it names on a pipe once it accepts clients; display
// stays empty when it does not start. Ended with the object.
class TelaXvfb {
 public:
  // tela: the screen's size and depth, as Xvfb takes it.
  explicit TelaXvfb(const QString &tela = QStringLiteral("1280x1024x24"));
  ~TelaXvfb();
  TelaXvfb(const TelaXvfb &) = delete;
  TelaXvfb &operator=(const TelaXvfb &) = delete;

  // The environment of a program on this display: Qt on X, not on a Wayland session's.
  QProcessEnvironment ambiente() const;

  QProcess xvfb;
  QString display;
};

// xdotool with its arguments on the display; its standard output, or nothing on failure.
std::optional<QString> xdotool(const TelaXvfb &x, const QStringList &argumentos);

// The program's main window, known by its size, among the visible windows whose name matches
// nome (xdotool's pattern), once it is mapped; empty after 30 seconds, or as soon as programa
// (when given) ends.
QString janelaPrincipal(const TelaXvfb &x, const QString &nome, const QProcess *programa = nullptr);

// Without a window manager the keyboard follows the pointer: the pointer is put over janela.
void apontarPara(const TelaXvfb &x, const QString &janela);

// One xdotool for every key, reading its commands ("keydown a\n") as they come, so that no
// program start lies between a press's time and the press.
class TecladoX {
 public:
  explicit TecladoX(const TelaXvfb &x);
  ~TecladoX();
  TecladoX(const TecladoX &) = delete;
  TecladoX &operator=(const TecladoX &) = delete;

  // Whether xdotool started.
  bool pronto() const { return pronto_; }
  // Hands comando to xdotool and waits until it is written.
  void enviar(const char *comando);
  // Ends xdotool's input and waits up to 5 seconds for it to finish what it was told.
  void fechar();

 private:
  QProcess xdotool_;
  bool pronto_ = false;
};

}  // namespace bench
