// An environment variable set for the length of a test.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace kovrinta::test {

// Sets nome to valor (an empty valor unsets it) and puts the old value back at the end.
class Ambiente {
 public:
  Ambiente(const char *nome, const QByteArray &valor)
      : nome_(nome), antigo_(qgetenv(nome)), existia_(qEnvironmentVariableIsSet(nome)) {
    if (valor.isEmpty())
      qunsetenv(nome);
    else
      qputenv(nome, valor);
  }
  ~Ambiente() {
    if (existia_)
      qputenv(nome_, antigo_);
    else
      qunsetenv(nome_);
  }
  Ambiente(const Ambiente &) = delete;
  Ambiente &operator=(const Ambiente &) = delete;

 private:
  const char *nome_;
  QByteArray antigo_;
  bool existia_;
};

}  // namespace kovrinta::test
