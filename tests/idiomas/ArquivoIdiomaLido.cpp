#include "ArquivoIdiomaLido.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

// The program strips blanks and control characters: every byte of code 32 or less.
std::string aparar(const std::string &s) {
  std::size_t inicio = 0;
  std::size_t fim = s.size();
  while (inicio < fim && static_cast<unsigned char>(s[inicio]) <= 0x20) ++inicio;
  while (fim > inicio && static_cast<unsigned char>(s[fim - 1]) <= 0x20) --fim;
  return s.substr(inicio, fim - inicio);
}

std::vector<std::string> dividirLinhas(const std::string &bytes) {
  std::vector<std::string> linhas;
  std::string atual;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      linhas.push_back(atual);
      atual.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      atual += c;
    }
  }
  if (!atual.empty()) linhas.push_back(atual);
  return linhas;
}

std::string quebrarLinhas(const std::string &valor) {
  std::string saida;
  for (char c : valor) saida += c == '#' ? std::string("\r\n") : std::string(1, c);
  return saida;
}

}  // namespace

ArquivoIdiomaLido::ArquivoIdiomaLido(const std::string &caminho) {
  std::ifstream arquivo(caminho, std::ios::binary);
  if (!arquivo) throw std::runtime_error("cannot read " + caminho);
  bytes_.assign(std::istreambuf_iterator<char>(arquivo), std::istreambuf_iterator<char>());

  int numeroSecao = 0;
  for (const std::string &bruta : dividirLinhas(bytes_)) {
    const std::string linha = aparar(bruta);
    if (linha.empty()) continue;
    if (linha.front() == '[') {
      ++numeroSecao;
      const std::string nome = linha.substr(1, linha.size() >= 2 ? linha.size() - 2 : 0);
      secoes_.push_back({nome, {}});
      entradas_.push_back(nome + "=CS" + std::to_string(numeroSecao));
      continue;
    }
    // The key is the text up to the first "=", blanks included; the value is the rest.
    const std::size_t igual = linha.find('=');
    const std::string chave = linha.substr(0, igual);
    const std::string valor = igual == std::string::npos ? "" : linha.substr(igual + 1);
    if (secoes_.empty())
      ++semSecao_;
    else
      secoes_.back().entradas.push_back({chave, valor});
    entradas_.push_back("CS" + std::to_string(numeroSecao) + chave + "=" + quebrarLinhas(valor));
  }
}

std::string ArquivoIdiomaLido::getTexto(const std::string &secao, const std::string &chave) const {
  auto valorDe = [this](const std::string &nome) -> std::string {
    for (const std::string &e : entradas_) {
      const std::size_t igual = e.find('=');
      if (e.compare(0, igual, nome) == 0 && igual == nome.size()) return e.substr(igual + 1);
    }
    return {};
  };
  return valorDe(valorDe(secao) + chave);
}

bool ehUtf8Valido(const std::string &bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    int seguintes = 0;
    char32_t cp = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      seguintes = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      seguintes = 2, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      seguintes = 3, cp = b & 0x07;
    } else {
      return false;
    }
    if (i + seguintes >= bytes.size()) return false;
    for (int k = 1; k <= seguintes; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if ((seguintes == 2 && cp < 0x800) || (seguintes == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += seguintes + 1;
  }
  return true;
}
