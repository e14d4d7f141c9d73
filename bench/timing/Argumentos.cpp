#include "Argumentos.h"

#include <algorithm>

namespace bench {

bool lerArgumentos(const QStringList &args, std::initializer_list<Opcao> opcoes) {
  for (int i = 1; i < args.size(); ++i) {
    const Opcao *opcao = std::find_if(opcoes.begin(), opcoes.end(),
                                      [&](const Opcao &o) { return args[i] == o.nome; });
    if (opcao != opcoes.end()) {
      if (bool *const *bandeira = std::get_if<bool *>(&opcao->destino)) {
        **bandeira = true;
        continue;
      }
    }
    if (i + 1 >= args.size() || opcao == opcoes.end()) return false;
    const QString &valor = args[++i];
    if (int *const *inteiro = std::get_if<int *>(&opcao->destino))
      **inteiro = valor.toInt();
    else
      *std::get<QString *>(opcao->destino) = valor;
  }
  return true;
}

}  // namespace bench
