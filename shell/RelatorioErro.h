// The last-resort error report: what the user is shown when an error escapes the start-up or
// the message loop, and the message of an error raised while one window event is handled.
#pragma once

#include <QString>
#include <exception>
#include <typeinfo>

class GerenciadorIdiomas;

// The text and caption of a message box.
struct RelatorioErro {
  QString texto;
  QString titulo;
};

// The name of a class as C++ spells it ("EVxMidiException", "std::runtime_error").
QString nomeClasse(const std::type_info &tipo);

// The report for erro, a value thrown out of the start-up or the message loop. An
// exception (a type name and a message) gets the language's "erroGeral" text and caption
// when idiomas has a language loaded, else the built-in English text and the caption
// "Quendal"; after the text its class name, its message and ", v" with versao come between
// quotes. Any other value gets the English text and, when versao is not empty, "v" and the
// version. idiomas may be null (the language manager was never made). Never throws.
RelatorioErro montarRelatorioErro(std::exception_ptr erro, const QString &versao,
                                  const GerenciadorIdiomas *idiomas);

// Shows the report for erro with the program's version in a message box with an OK button
// and no icon, and writes it to the standard error. Needs the QApplication.
void mostrarRelatorioErro(std::exception_ptr erro, const GerenciadorIdiomas *idiomas);
