// The application object of the program: Qt's, with the per-event error handling of the
// message loop.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>

#include "config/Mensageiro.h"

// An error that escapes the handling of one event is shown with its message, and the
// message loop goes on with the next event. Handlers catch their own errors; this is the
// backstop for the rest.
class AplicacaoKovrinta : public QApplication {
  Q_OBJECT

 public:
  AplicacaoKovrinta(int &argc, char **argv);

  // Delivers evento to receptor; an exception raised on the way is caught and shown.
  bool notify(QObject *receptor, QEvent *evento) override;

  // The text shown for an error of one event: an exception's message, or the built-in
  // English text for any other thrown value.
  static QString textoErroEvento(std::exception_ptr erro);

  // Where the message goes (a message box with the application's title as caption); tests
  // record it instead.
  void setMensageiro(Mensageiro outro) { mensageiro = std::move(outro); }
  // The caption of those messages: the program's title in the user's language.
  void setTituloMensagens(const QString &titulo) { tituloMensagens = titulo; }

 private:
  void mostrarErro(std::exception_ptr erro);

  Mensageiro mensageiro;
  QString tituloMensagens = QStringLiteral("Kovrinta");
  // While one error is shown, further ones go to the standard error only, so that a timer
  // that fails on every tick cannot pile up message boxes.
  bool mostrando = false;
};
