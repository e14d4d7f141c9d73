// An independent reading of a language text file, flattened and looked up the way the
// program does it, for checking the files the build writes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct EntradaLida {
  std::string chave;
  std::string valor;  // as written, "#" not yet turned into line breaks
};

struct SecaoLida {
  std::string nome;
  std::vector<EntradaLida> entradas;
};

class ArquivoIdiomaLido {
 public:
  // Reads the file at caminho; throws std::runtime_error when it cannot be read.
  explicit ArquivoIdiomaLido(const std::string &caminho);

  // The file's bytes, unchanged.
  const std::string &bytes() const { return bytes_; }

  // The sections in file order, each with its entries in file order.
  const std::vector<SecaoLida> &secoes() const { return secoes_; }

  // How many entries stand before the first section line (the program never reaches them).
  std::size_t entradasSemSecao() const { return semSecao_; }

  // The program's text for (secao, chave): the first section of that name, its first entry
  // of that key, with every "#" turned into CR LF; empty when either is missing.
  std::string getTexto(const std::string &secao, const std::string &chave) const;

 private:
  std::string bytes_;
  std::vector<SecaoLida> secoes_;
  std::size_t semSecao_ = 0;
  std::vector<std::string> entradas_;  // flattened "name=value" lines
};

// Whether bytes is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool ehUtf8Valido(const std::string &bytes);
