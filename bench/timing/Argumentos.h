// A benchmark's command line: flags that stand alone, and options that take the next argument
// as their value.
#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <variant>

namespace bench {

// An option and where its value goes: a flag sets its bool; a whole number is read with
// QString::toInt (0 when it is none, for the program's own check of its options to refuse).
struct Opcao {
  const char *nome;
  std::variant<bool *, int *, QString *> destino;
};

// Reads args (the program's name first) into the options' places. False on an argument that
// is no option, or an option without its value.
bool lerArgumentos(const QStringList &args, std::initializer_list<Opcao> opcoes);

}  // namespace bench
