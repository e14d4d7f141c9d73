// What a benchmark that runs the main window in its own process prepares: the program's
// settings in a temporary folder of their own, the English texts, the output device, and the
// window's messages turned into the run's failure.
#pragma once

#include <QTemporaryDir>

class TFormPrincipal;

namespace bench {

class BancadaJanela {
 public:
  // nome begins the bench's messages ("window_bench").
  explicit BancadaJanela(const char *nome) : nome(nome) {}

  // Loads the library and the language and stores dispositivo as the output device, or, for
  // -1, the first built-in synthesizer listed. Answers the device, or -1 after saying why.
  int preparar(int dispositivo);
  // The window's messages are printed and end the event loop with 1; its questions are
  // answered yes.
  void vigiar(TFormPrincipal &janela);
  // Whether the window showed a message.
  bool falhou() const { return falhou_; }

 private:
  const char *nome;
  QTemporaryDir pasta;
  bool falhou_ = false;
};

}  // namespace bench
